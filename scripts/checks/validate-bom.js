// validate-bom.js FILE...: each CycloneDX JSON bill of materials against the schema of its own
// specVersion, with the CycloneDX JavaScript library's strict validator. Run with NODE_PATH set to
// the node_modules that scripts/checks/bill installs.
const fs = require('fs')
const CDX = require('@cyclonedx/cyclonedx-library')

async function main (files) {
  let bad = 0
  for (const file of files) {
    const text = fs.readFileSync(file, 'utf8')
    const validator = new CDX.Validation.JsonStrictValidator(JSON.parse(text).specVersion)
    const errors = await validator.validate(text)
    console.log(`${file}: ${errors === null ? 'valid' : 'INVALID ' + JSON.stringify(errors)}`)
    if (errors !== null) bad++
  }
  return bad
}

main(process.argv.slice(2)).then(bad => process.exit(bad ? 1 : 0), e => { console.error(e); process.exit(2) })
