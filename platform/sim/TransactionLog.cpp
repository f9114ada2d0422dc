#include "TransactionLog.h"

#include <cstdio>

namespace platform::sim {

void TransactionLog::append(Transaction t)
{
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back(std::move(t));
    trimLocked();
}

void TransactionLog::trimLocked()
{
    while (entries_.size() > capacity_) {
        entries_.pop_front();
        ++dropped_;
    }
}

void TransactionLog::setCapacity(size_t capacity)
{
    std::lock_guard<std::mutex> lock(mutex_);
    capacity_ = capacity;
    trimLocked();
}

size_t TransactionLog::capacity() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return capacity_;
}

uint64_t TransactionLog::dropped() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

std::vector<Transaction> TransactionLog::entries() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

std::vector<Transaction> TransactionLog::entries(const std::string& kind) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Transaction> out;
    for (const auto& t : entries_)
        if (t.kind == kind)
            out.push_back(t);
    return out;
}

std::vector<Transaction> TransactionLog::entriesWithPrefix(const std::string& kindPrefix) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Transaction> out;
    for (const auto& t : entries_)
        if (t.kind.compare(0, kindPrefix.size(), kindPrefix) == 0)
            out.push_back(t);
    return out;
}

size_t TransactionLog::size() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

void TransactionLog::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
    dropped_ = 0;
}

std::string TransactionLog::describe(const Transaction& t)
{
    char head[64];
    std::snprintf(head, sizeof head, "%10.3f ms ", static_cast<double>(t.timeUs) / 1000.0);
    std::string s = head + t.kind + " " + t.device;
    if (!t.text.empty())
        s += " \"" + t.text + "\"";
    if (!t.bytes.empty()) {
        s += " [";
        for (size_t i = 0; i < t.bytes.size(); ++i) {
            char b[4];
            std::snprintf(b, sizeof b, "%02X", t.bytes[i]);
            s += (i ? " " : "") + std::string(b);
        }
        s += "]";
    }
    if (t.failed)
        s += " FAILED";
    return s;
}

std::string TransactionLog::describeAll() const
{
    std::string s;
    for (const auto& t : entries())
        s += describe(t) + "\n";
    return s;
}

} // namespace platform::sim
