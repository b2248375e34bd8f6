// The protocol library's search command, as the search module uses it. The module builds one
// command on the client's transport, sends queries through it and receives result batches through
// QZCommandSearchHandler, possibly on a thread of the library's own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SearchRecords.h"

#if defined(_WIN32)
#  if defined(QZPROTOCOL_BUILD)
#    define QZP_API __declspec(dllexport)
#  else
#    define QZP_API __declspec(dllimport)
#  endif
#else
#  define QZP_API __attribute__((visibility("default")))
#endif

namespace QZP {

class QZTransmit;  // the client's transport; opaque to the search module

// What a query operation reports when it is issued. The module tells apart only 0 and 3.
enum ConnectionError {
    CE_OK = 0,             // the query was sent; a result callback follows
    CE_NO_TRANSPORT = 1,   // the command has no transport to send on
    CE_DISCONNECTED = 2,   // the transport is closed
    CE_NOT_SIGNED_IN = 3,  // the client is not signed in
};

using PacketSerialNumber = std::uint32_t;

enum CommandType : std::uint16_t {
    CMD_NONE = 0,
    CMD_SEARCH_USER = 0x0301,
    CMD_SEARCH_ZONE = 0x0302,
};

struct PacketID {
    CommandType command = CMD_NONE;
    PacketSerialNumber serial = 0;
};

struct QZPacket {
    PacketID id;
    std::vector<std::uint8_t> body;
};

class QZCommandSearchHandler {
public:
    virtual ~QZCommandSearchHandler() = default;
    // ok false: the query failed. ok true with an empty batch: nothing matched. The batch belongs
    // to the library and is valid only during the call.
    virtual void OnSearchUserResult(bool ok, const UserInfoSet& batch) = 0;
    virtual void OnSearchZoneResult(bool ok, const ZoneInfoSet& batch) = 0;
};

class QZP_API QZCommandBase {
public:
    explicit QZCommandBase(QZTransmit* pTransmit);
    QZCommandBase(const QZCommandBase&) = delete;
    QZCommandBase& operator=(const QZCommandBase&) = delete;
    virtual ~QZCommandBase();

    virtual void OnReceive(const QZPacket& packet, bool& handled) = 0;
    virtual void OnTimedout(const PacketSerialNumber& serial) = 0;
    virtual void OnPassiveReceive(const QZPacket& packet) = 0;
    virtual void TransferCmd(CommandType* pType) = 0;
    virtual void OnAck(bool ok, const QZPacket& packet);
    virtual PacketID ExtractPacketID(bool request, const QZPacket& packet) = 0;
    virtual void OnDisconnected();

protected:
    QZTransmit* m_pTransmit;
};

class QZP_API QZCommandSearch : public QZCommandBase {
public:
    QZCommandSearch(QZTransmit* pTransmit, QZCommandSearchHandler* pHandler);
    // Waits for a callback that is running and cancels those not yet started: no callback runs
    // after the destructor returns.
    ~QZCommandSearch() override;

    ConnectionError SearchOnlineUsers();
    ConnectionError SearchUsersByCompany(const std::wstring& company);
    ConnectionError SearchUsersByEID(const std::wstring& account);
    ConnectionError SearchUsersByNick(const std::wstring& nickname);
    ConnectionError SearchZoneByID(std::uint64_t zoneId);
    // industry: zero-based index into the client's industry list, 65535 for any industry.
    ConnectionError SearchZone(const std::wstring& name, unsigned short industry);

    // The signed-in user's identifier.
    std::uint64_t GetSelfID() const;

    void OnReceive(const QZPacket& packet, bool& handled) override;
    void OnTimedout(const PacketSerialNumber& serial) override;
    void OnPassiveReceive(const QZPacket& packet) override;
    void TransferCmd(CommandType* pType) override;
    PacketID ExtractPacketID(bool request, const QZPacket& packet) override;

private:
    struct Impl;
    Impl* m_pImpl;
};

}  // namespace QZP
