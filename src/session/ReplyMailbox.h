// The hand-over from the result callbacks to the window thread. A callback leaves its reply here
// and posts a message in the same breath; the window takes the oldest reply for each message. The
// message itself carries nothing the window trusts, so a stray one finds no reply (or takes one
// that a later message would have taken) and a queued one can never outlive the check of its
// generation.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

#include "SearchCriteria.h"
#include "TabResults.h"

// One reply and the tab whose query it answers.
struct PostedReply {
    SearchTab tab = SearchTab::Users;
    TabReply reply;
};

class ReplyMailbox {
public:
    // Closed until the window exists; closing drops what was left.
    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
    }
    void Close() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = false;
        m_replies.clear();
    }
    bool IsOpen() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_open;
    }

    // Leaves `reply` and runs `post` under the same lock, so the window cannot go (Close) between
    // the two. `post` must not wait for the window thread. False when closed: nothing was left.
    template <class Post>
    bool Leave(const PostedReply& reply, Post post) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open)
            return false;
        m_replies.push_back(reply);
        post(reply);
        return true;
    }

    std::optional<PostedReply> TakeOldest() {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_replies.empty())
            return std::nullopt;
        PostedReply reply = m_replies.front();
        m_replies.pop_front();
        return reply;
    }

    std::size_t Waiting() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_replies.size();
    }

private:
    mutable std::mutex m_mutex;
    bool m_open = false;
    std::deque<PostedReply> m_replies;
};
