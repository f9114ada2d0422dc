// Cuts what a peer sends into command lines: a line ends at CR or LF and keeps its end (CR
// LF counts as one end, also when a read splits it), a line longer than the limit is dropped
// up to its end and reported once, and the bytes of one read end at its first NUL.
#pragma once

#include <QByteArray>

class LineFramer {
public:
    enum class Framed { None, Line, Overflow };

    explicit LineFramer(int maxLine) : maxLine_(maxLine) {}

    // The bytes of one read.
    void feed(QByteArray bytes);
    // The next line of what was fed; None when more bytes are needed.
    Framed next(QByteArray* line);

private:
    int maxLine_;
    QByteArray chunk_; // fed and not yet framed
    int chunkPos_ = 0;
    QByteArray buffer_; // the line being collected
    char partner_ = 0;  // the LF still to be swallowed after a CR
    bool discarding_ = false;
};
