#include <atomic>

#include "TransportCore.h"

namespace QZP {

QZCommandBase::QZCommandBase(QZTransmit* pTransmit) : m_pTransmit(pTransmit) {}

QZCommandBase::~QZCommandBase() = default;

// Nothing is acknowledged or torn down as packets in-process.
void QZCommandBase::OnAck(bool, const QZPacket&) {}
void QZCommandBase::OnDisconnected() {}

struct QZCommandSearch::Impl {
    // The command keeps the Core alive, so it stays safe to use and to destroy even after its
    // transport is gone (queries then report CE_DISCONNECTED).
    std::shared_ptr<detail::Core> core;
    std::shared_ptr<detail::CommandState> state;
    std::atomic<std::uint16_t> lastCommand{CMD_NONE};
};

QZCommandSearch::QZCommandSearch(QZTransmit* pTransmit, QZCommandSearchHandler* pHandler)
    : QZCommandBase(pTransmit), m_pImpl(new Impl) {
    m_pImpl->core = TransmitAccess::CoreOf(pTransmit);
    m_pImpl->state = std::make_shared<detail::CommandState>(pHandler);
    if (m_pImpl->core) m_pImpl->core->Register();
}

QZCommandSearch::~QZCommandSearch() {
    // Cancels our queued answers and waits for a callback of ours that is running on the worker
    // (not when we are being deleted from inside it). After this no callback reaches the handler.
    if (m_pImpl->core) m_pImpl->core->Unregister(m_pImpl->state);
    delete m_pImpl;
}

namespace {

ConnectionError SendQuery(const std::shared_ptr<detail::Core>& core,
                          const std::shared_ptr<detail::CommandState>& state,
                          std::atomic<std::uint16_t>& lastCommand, const SearchQuery& query) {
    if (!core) return CE_NO_TRANSPORT;
    const ConnectionError result = core->Send(state, query);
    if (result == CE_OK) lastCommand = query.IsUserQuery() ? CMD_SEARCH_USER : CMD_SEARCH_ZONE;
    return result;
}

SearchQuery MakeQuery(SearchQuery::Kind kind, const std::wstring& text = std::wstring()) {
    SearchQuery query;
    query.kind = kind;
    query.text = text;
    return query;
}

}  // namespace

ConnectionError QZCommandSearch::SearchOnlineUsers() {
    return SendQuery(m_pImpl->core, m_pImpl->state, m_pImpl->lastCommand,
                     MakeQuery(SearchQuery::Kind::OnlineUsers));
}

ConnectionError QZCommandSearch::SearchUsersByCompany(const std::wstring& company) {
    return SendQuery(m_pImpl->core, m_pImpl->state, m_pImpl->lastCommand,
                     MakeQuery(SearchQuery::Kind::UsersByCompany, company));
}

ConnectionError QZCommandSearch::SearchUsersByEID(const std::wstring& account) {
    return SendQuery(m_pImpl->core, m_pImpl->state, m_pImpl->lastCommand,
                     MakeQuery(SearchQuery::Kind::UsersByEID, account));
}

ConnectionError QZCommandSearch::SearchUsersByNick(const std::wstring& nickname) {
    return SendQuery(m_pImpl->core, m_pImpl->state, m_pImpl->lastCommand,
                     MakeQuery(SearchQuery::Kind::UsersByNick, nickname));
}

ConnectionError QZCommandSearch::SearchZoneByID(std::uint64_t zoneId) {
    SearchQuery query = MakeQuery(SearchQuery::Kind::ZoneByID);
    query.zoneId = zoneId;
    return SendQuery(m_pImpl->core, m_pImpl->state, m_pImpl->lastCommand, query);
}

ConnectionError QZCommandSearch::SearchZone(const std::wstring& name, unsigned short industry) {
    SearchQuery query = MakeQuery(SearchQuery::Kind::Zone, name);
    query.industry = industry;
    return SendQuery(m_pImpl->core, m_pImpl->state, m_pImpl->lastCommand, query);
}

std::uint64_t QZCommandSearch::GetSelfID() const {
    return m_pImpl->core ? m_pImpl->core->SelfID() : 0;
}

// Results never arrive as packets in-process, so no packet is ours.
void QZCommandSearch::OnReceive(const QZPacket&, bool& handled) { handled = false; }

// A query that timed out fails: its handler hears ok=false, unless it was answered already.
void QZCommandSearch::OnTimedout(const PacketSerialNumber& serial) {
    if (!m_pImpl->core) return;
    for (const auto& request : m_pImpl->core->Outstanding(*m_pImpl->state, serial, false)) {
        request->Fail();
    }
}

// Search has no unsolicited packets.
void QZCommandSearch::OnPassiveReceive(const QZPacket&) {}

// Reports the command type of the last query sent (CMD_NONE before the first).
void QZCommandSearch::TransferCmd(CommandType* pType) {
    if (pType) *pType = static_cast<CommandType>(m_pImpl->lastCommand.load());
}

PacketID QZCommandSearch::ExtractPacketID(bool, const QZPacket& packet) { return packet.id; }

}  // namespace QZP
