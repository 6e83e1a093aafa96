#include "plant/outbox.h"

#include <algorithm>
#include <utility>

PlantOutbox::PlantOutbox(std::size_t capacity, std::size_t window)
    : capacity_(std::max<std::size_t>(1, capacity)), window_(std::max<std::size_t>(1, window))
{
}

void PlantOutbox::push(PlantMessage message)
{
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

double ReconnectBackoff::next()
{
    delay_ = delay_ <= 0.0 ? 1.0 : std::min(30.0, delay_ * 2.0);
    return delay_;
}
