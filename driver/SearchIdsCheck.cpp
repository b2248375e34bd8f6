// The driver names the search window's controls by the IDs the module's resource script gives
// them: a control renumbered there must not leave the driver (and every test and the tour) driving
// another control. Checked when the driver is compiled.
#include "SearchWindow.h"
#include "resource.h"

namespace {
namespace ids = windriver::search_ids;
static_assert(ids::Tab == IDC_TAB && ids::RadioCompany == IDC_RADIO_COMPANY &&
              ids::RadioOnline == IDC_RADIO_ONLINE && ids::RadioNick == IDC_RADIO_NICK &&
              ids::RadioAccount == IDC_RADIO_ACCOUNT && ids::EditNick == IDC_EDIT_NICK &&
              ids::EditAccount == IDC_EDIT_ACCOUNT && ids::EditCompany == IDC_EDIT_COMPANY,
              "user form IDs");
static_assert(ids::ListUser == IDC_LIST_USER && ids::ListZone == IDC_LIST_ZONE && ids::Back == IDC_BTN_BACK &&
              ids::Find == IDC_BTN_FIND && ids::Close == IDC_BTN_CLOSE && ids::PrevPage == IDC_BTN_PREV_PAGE &&
              ids::NextPage == IDC_BTN_NEXT_PAGE && ids::Add == IDC_BTN_ADD && ids::View == IDC_BTN_VIEW &&
              ids::PageLabel == IDC_STATIC_PAGE,
              "result view IDs");
static_assert(ids::EditZoneId == IDC_EDIT_ZONE_ID && ids::EditZoneName == IDC_EDIT_ZONE_NAME &&
              ids::ComboIndustry == IDC_COMBO_INDUSTRY && ids::RadioZoneById == IDC_RADIO_ZONE_BY_ID &&
              ids::RadioZoneByName == IDC_RADIO_ZONE_BY_NAME && ids::StaticIndustry == IDC_STATIC_INDUSTRY &&
              ids::StaticCriteria == IDC_STATIC_CRITERIA && ids::Separator == IDC_SEPARATOR &&
              ids::GroupExact == IDC_GROUP_EXACT,
              "zone form and decoration IDs");
static_assert(windriver::kSearchWindowTemplate == IDD_SEARCH_DIALOG, "the window's template");
}  // namespace
