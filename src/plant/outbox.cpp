// SPDX-License-Identifier: GPL-3.0-or-later

#include "plant/outbox.h"

#include <algorithm>
#include <utility>

PlantOutbox::PlantOutbox(std::size_t capacity, std::size_t window)
    : capacity_(std::max<std::size_t>(1, capacity)), window_(std::max<std::size_t>(1, window))
{
}

void PlantOutbox::push(PlantMessage message)
{
    if (message.id <= lastId_)
        message.id = lastId_ + 1;
    lastId_ = message.id;
    entries_.push_back({std::move(message)});
    dropOverflow();
}

void PlantOutbox::dropOverflow()
{
    while (entries_.size() > capacity_) {
        // An entry already with the broker is dropped as well: its acknowledgement then
        // finds nothing, which is harmless.
        entries_.pop_front();
        if (sent_ > 0)
            --sent_;
        ++dropped_;
    }
}

const PlantMessage *PlantOutbox::nextToSend() const
{
    if (sent_ >= entries_.size() || sent_ >= window_)
        return nullptr;
    return &entries_[sent_].message;
}

void PlantOutbox::markSent(int mid)
{
    if (sent_ < entries_.size())
        entries_[sent_++].mid = mid;
}

void PlantOutbox::acknowledged(int mid)
{
    for (std::size_t i = 0; i < sent_; ++i) {
        if (entries_[i].mid == mid) {
            entries_[i].acked = true;
            break;
        }
    }
    while (sent_ > 0 && entries_.front().acked) {
        entries_.pop_front();
        --sent_;
    }
}

void PlantOutbox::connectionLost()
{
    for (std::size_t i = 0; i < sent_; ++i) {
        entries_[i].mid = 0;
        entries_[i].acked = false;
    }
    sent_ = 0;
}

void PlantOutbox::setCapacity(std::size_t capacity)
{
    capacity_ = std::max<std::size_t>(1, capacity);
    dropOverflow();
}

std::vector<PlantMessage> PlantOutbox::messagesAfter(std::uint64_t id) const
{
    std::size_t first = entries_.size();
    while (first > 0 && entries_[first - 1].message.id > id)
        --first;
    std::vector<PlantMessage> out;
    out.reserve(entries_.size() - first);
    for (std::size_t i = first; i < entries_.size(); ++i)
        out.push_back(entries_[i].message);
    return out;
}

void PlantOutbox::clear()
{
    entries_.clear();
    sent_ = 0;
}

void PlantOutbox::restore(std::vector<PlantMessage> stored, std::uint64_t lastId)
{
    std::vector<PlantMessage> held = messagesAfter(0);
    clear();
    lastId_ = 0;
    for (PlantMessage &m : stored)
        push(std::move(m));
    lastId_ = std::max(lastId_, lastId);
    for (PlantMessage &m : held) {
        m.id = 0;
        push(std::move(m));
    }
}

double ReconnectBackoff::next()
{
    delay_ = delay_ <= 0.0 ? 1.0 : std::min(30.0, delay_ * 2.0);
    return delay_;
}
