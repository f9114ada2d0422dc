#include "lineFramer.h"

namespace {
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
} // namespace

void LineFramer::feed(QByteArray bytes)
{
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    chunk_.remove(0, chunkPos_);
    chunkPos_ = 0;
    chunk_ += bytes;
}

// Whole runs of bytes up to a line end at a time: a line costs one copy, not one per byte.
LineFramer::Framed LineFramer::next(QByteArray* line)
{
    const char* const data = chunk_.constData();
    const int size = chunk_.size();
    while (chunkPos_ < size) {
        if (partner_) {
            const char expected = partner_;
            partner_ = 0;
            if (data[chunkPos_] == expected) {
                ++chunkPos_;
                continue;
            }
        }
        int end = chunkPos_;
        while (end < size && !isLineEnd(data[end]))
            ++end;
        const bool ended = end < size;
        if (discarding_) {
            chunkPos_ = ended ? end + 1 : end;
            if (ended) {
                discarding_ = false;
                partner_ = data[end] == '\r' ? '\n' : 0;
            }
            continue;
        }
        const int room = maxLine_ - buffer_.size();
        if (end - chunkPos_ > room) {
            // The byte past the limit goes with the rest of the line.
            chunkPos_ += room + 1;
            buffer_.clear();
            discarding_ = true;
            return Framed::Overflow;
        }
        buffer_.append(data + chunkPos_, end - chunkPos_);
        chunkPos_ = end;
        if (!ended)
            break;
        const char c = data[chunkPos_++];
        buffer_.append(c);
        partner_ = c == '\r' ? '\n' : 0;
        line->swap(buffer_);
        buffer_.clear();
        return Framed::Line;
    }
    chunk_.clear();
    chunkPos_ = 0;
    return Framed::None;
}
