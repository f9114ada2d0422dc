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

LineFramer::Framed LineFramer::next(QByteArray* line)
{
    while (chunkPos_ < chunk_.size()) {
        const char c = chunk_.at(chunkPos_++);
        if (partner_) {
            const char expected = partner_;
            partner_ = 0;
            if (c == expected)
                continue;
        }
        const bool end = isLineEnd(c);
        if (end)
            partner_ = c == '\r' ? '\n' : 0;
        if (discarding_) {
            discarding_ = !end;
            continue;
        }
        if (end) {
            buffer_.append(c);
            line->swap(buffer_);
            buffer_.clear();
            return Framed::Line;
        }
        if (buffer_.size() >= maxLine_) {
            buffer_.clear();
            discarding_ = true;
            return Framed::Overflow;
        }
        buffer_.append(c);
    }
    chunk_.clear();
    chunkPos_ = 0;
    return Framed::None;
}
