// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The plant link's offline buffer: messages wait here, in order, until the broker has
// acknowledged them. Free of the network so its rules can be checked on their own; the
// publisher holds it under its lock.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct PlantMessage {
    std::string topic;
    std::string payload;
    int qos = 1;
    bool retain = false;
    std::uint64_t id = 0; // given by the outbox: the order, across runs too (0: not yet given)
};

class PlantOutbox {
public:
    // capacity: messages kept at most (a full box drops its oldest); window: messages
    // handed to the broker and not yet acknowledged, at most.
    PlantOutbox(std::size_t capacity, std::size_t window);

    // Gives the message the next id unless it has one (one read back from the disk).
    void push(PlantMessage message);
    // The oldest message not yet handed out, or nullptr when there is none or the window
    // is full. Hand it out, then call markSent with the broker's message id.
    const PlantMessage *nextToSend() const;
    void markSent(int mid);
    // The broker took the message sent under mid. Messages leave the box only from the
    // front, so a late acknowledgement never lets a newer one overtake an older one.
    void acknowledged(int mid);
    // The connection went: everything handed out and not acknowledged goes out again,
    // from the oldest on.
    void connectionLost();

    void setCapacity(std::size_t capacity);
    // Ids go on above this one (the highest the disk buffer gave).
    void continueIdsAfter(std::uint64_t id) { lastId_ = std::max(lastId_, id); }
    // Everything up to this id has left the box (acknowledged or dropped).
    std::uint64_t lastGone() const { return entries_.empty() ? lastId_ : entries_.front().message.id - 1; }
    // Copies of the messages with ids above the given one, oldest first.
    std::vector<PlantMessage> messagesAfter(std::uint64_t id) const;
    // Whether the message given this id is still in the box.
    bool holds(std::uint64_t id) const { return id > lastGone() && id <= lastId_; }
    std::uint64_t lastId() const { return lastId_; }
    void clear();
    // Takes what the disk buffer held (ids kept, lastId the highest it gave) in front of
    // whatever the box held, which goes after it under new ids.
    void restore(std::vector<PlantMessage> stored, std::uint64_t lastId);
    std::size_t waiting() const { return entries_.size(); }
    std::size_t inFlight() const { return sent_; }
    std::uint64_t dropped() const { return dropped_; }

private:
    struct Entry {
        PlantMessage message;
        int mid = 0;
        bool acked = false;
    };
    void dropOverflow();

    std::deque<Entry> entries_;
    std::size_t sent_ = 0; // entries_[0 .. sent_) are with the broker
    std::size_t capacity_;
    std::size_t window_;
    std::uint64_t dropped_ = 0;
    std::uint64_t lastId_ = 0;
};

// Waits between connection attempts: 1 s, doubling up to 30 s; back to 1 s once connected.
class ReconnectBackoff {
public:
    double next();
    void reset() { delay_ = 0.0; }

private:
    double delay_ = 0.0;
};
