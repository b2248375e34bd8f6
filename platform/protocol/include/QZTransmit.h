// The in-process transport behind QZCommandSearch, and the services it can talk to.
//
// A QZTransmit hands every query that a command sends to a SearchService, as a SearchRequest. The
// service answers the request whenever it likes, from any thread; the transport then delivers the
// answer to the command's handler on the transport's own worker thread, after the configured
// latency. DirectoryService answers at once from users and zones kept in memory; ScriptedService
// keeps every request until a test answers it.
//
// Every class here keeps its state behind a pointer, so the class layouts seen by a client of the
// DLL hold no standard-library members.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "QZProtocol.h"

namespace QZP {

struct SearchQuery {
    enum class Kind { OnlineUsers, UsersByCompany, UsersByEID, UsersByNick, ZoneByID, Zone };

    Kind kind = Kind::OnlineUsers;
    std::wstring text;            // company, account, nickname or zone name; empty otherwise
    std::uint64_t zoneId = 0;     // ZoneByID only
    std::uint16_t industry = 0xFFFF;  // Zone only; 0xFFFF: any industry

    bool IsUserQuery() const {
        return kind == Kind::OnlineUsers || kind == Kind::UsersByCompany ||
               kind == Kind::UsersByEID || kind == Kind::UsersByNick;
    }

    friend bool operator==(const SearchQuery& a, const SearchQuery& b) {
        return a.kind == b.kind && a.text == b.text && a.zoneId == b.zoneId &&
               a.industry == b.industry;
    }
    friend bool operator!=(const SearchQuery& a, const SearchQuery& b) { return !(a == b); }
};

struct TransportSettings {
    std::size_t batchSize = 25;       // records per answer (DirectoryService)
    std::size_t overlap = 0;          // records of the previous batch repeated at the start of the next
    std::chrono::milliseconds latency{0};  // from an answer to its callback
    double failureRate = 0.0;         // share of queries answered ok=false, drawn from seed
    std::uint32_t seed = 1;
    bool signedIn = true;             // false: every query returns CE_NOT_SIGNED_IN, nothing is sent
    std::uint64_t selfId = 0;         // QZCommandSearch::GetSelfID()
};

class SearchService;

// One query as sent by one command. The transport makes it; the service keeps it as long as it
// needs and answers it once. A request that is destroyed without an answer fails its query, so a
// service that loses a request cannot leave a window waiting forever.
class QZP_API SearchRequest {
public:
    struct Impl;
    explicit SearchRequest(Impl* impl);  // made by the transport only
    SearchRequest(const SearchRequest&) = delete;
    SearchRequest& operator=(const SearchRequest&) = delete;
    ~SearchRequest();

    const SearchQuery& Query() const;
    // How many times the same query was sent just before this one by the same command: 0 for a new
    // query, so a service answers batch Round() of its matches.
    std::size_t Round() const;
    // The transport's settings at the moment the query was sent.
    const TransportSettings& Settings() const;
    // Serial number of the send, unique within the transport (what OnTimedout names).
    PacketSerialNumber Serial() const;
    // The transport drew this query as one to fail: whatever the answer, the command sees ok=false.
    bool FailureInjected() const;
    bool IsAnswered() const;

    // Each returns true when the answer was accepted for delivery. False: the request was answered
    // already, the batch is of the wrong kind for the query, or the command or transport is gone.
    bool AnswerUsers(bool ok, const UserInfoSet& batch);
    bool AnswerZones(bool ok, const ZoneInfoSet& batch);
    bool Fail();  // ok=false with an empty batch of the query's kind
    // A further answer to a request answered already: the server's own answer arriving after the
    // transport reported a time-out, say. The command gets it like any other, as the library has no
    // request ids to tell it by; only the command's end stops it. False when the request has not
    // been answered yet, or as above.
    bool AnswerUsersAgain(bool ok, const UserInfoSet& batch);
    bool AnswerZonesAgain(bool ok, const ZoneInfoSet& batch);

private:
    Impl* m_pImpl;
};

using SearchRequestPtr = std::shared_ptr<SearchRequest>;

// What the transport sends queries to. OnQuery runs on the thread that issued the query, with no
// lock of the transport held: the service may answer inside it, or keep the request and answer it
// later from any thread.
class QZP_API SearchService {
public:
    virtual ~SearchService();
    virtual void OnQuery(const SearchRequestPtr& request) = 0;
};

// The transport. Owns one worker thread, on which every result callback runs. Destroying it drops
// every answer not yet delivered and waits for a callback that is running (unless it is destroyed
// from inside that callback); commands still built on it keep working safely afterwards, but every
// query returns CE_DISCONNECTED and no callback follows.
class QZP_API QZTransmit {
public:
    explicit QZTransmit(SearchService& service, TransportSettings settings = {});
    QZTransmit(const QZTransmit&) = delete;
    QZTransmit& operator=(const QZTransmit&) = delete;
    ~QZTransmit();

    // Usable from any thread; a change applies to the queries sent after it. SetSettings restarts
    // the failure draw from the seed.
    TransportSettings GetSettings() const;
    void SetSettings(const TransportSettings& settings);
    void SetSignedIn(bool signedIn);
    void SetSelfID(std::uint64_t selfId);

    // True on the worker thread that runs the callbacks.
    bool IsWorkerThread() const;
    // Answers waiting for their delivery time or for the worker.
    std::size_t QueuedAnswers() const;
    // A result callback is running on the worker right now.
    bool CallbackRunning() const;
    // Commands built on this transport and not yet destroyed.
    std::size_t LiveCommands() const;
    // Waits until no answer is queued and no callback is running; false on timeout.
    bool WaitIdle(std::chrono::milliseconds timeout) const;

private:
    struct Impl;
    friend struct TransmitAccess;
    Impl* m_pImpl;
};

// Users and zones in memory. Nickname, company and zone name match as substrings (case as given),
// account and zone ID exactly; a zone query with an industry other than 0xFFFF keeps only that
// industry, and an empty name then lists every zone of it. Online users are those in states 2 to
// 4. Matches keep the order in which records were added; batch r of them starts at
// r * (batchSize - overlap), with overlap kept below batchSize. Thread-safe.
class QZP_API DirectoryService : public SearchService {
public:
    DirectoryService();
    DirectoryService(const std::vector<UserInfo>& users, const std::vector<ZoneInfo>& zones);
    DirectoryService(const DirectoryService&) = delete;
    DirectoryService& operator=(const DirectoryService&) = delete;
    ~DirectoryService() override;

    // False when a record with the same ID is already there (it is kept as it was).
    bool AddUser(const UserInfo& user);
    bool AddZone(const ZoneInfo& zone);
    std::size_t UserCount() const;
    std::size_t ZoneCount() const;

    // Every match of a query, in order. A zone query gives no users and a user query no zones.
    UserInfoSet MatchUsers(const SearchQuery& query) const;
    ZoneInfoSet MatchZones(const SearchQuery& query) const;

    // Answers at once with batch request->Round(), sized by the request's settings.
    void OnQuery(const SearchRequestPtr& request) override;

private:
    struct Impl;
    Impl* m_pImpl;
};

// For tests: keeps every request and answers only when told. Thread-safe.
class QZP_API ScriptedService : public SearchService {
public:
    ScriptedService();
    ScriptedService(const ScriptedService&) = delete;
    ScriptedService& operator=(const ScriptedService&) = delete;
    ~ScriptedService() override;

    std::vector<SearchQuery> Queries() const;           // every query received, in order
    std::vector<SearchRequestPtr> Requests() const;     // the same, as requests
    SearchRequestPtr Request(std::size_t index) const;  // null past the end
    std::size_t QueryCount() const;
    std::size_t PendingCount() const;                   // received and not answered
    // Waits until at least n queries have arrived; false on timeout.
    bool WaitForQueries(std::size_t n, std::chrono::milliseconds timeout) const;

    // Answer the oldest request not yet answered. False when there is none, or as for
    // SearchRequest's answers (a batch of the wrong kind leaves the request unanswered).
    bool AnswerUsers(bool ok, const UserInfoSet& batch);
    bool AnswerZones(bool ok, const ZoneInfoSet& batch);
    bool FailOldest();

    void OnQuery(const SearchRequestPtr& request) override;

private:
    struct Impl;
    Impl* m_pImpl;
};

}  // namespace QZP
