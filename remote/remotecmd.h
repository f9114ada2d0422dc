// The base of every remote command: a query run that fills a reply text and a set run, each
// returning 0 for success (ACK) or non-zero (NAK), a has-reply flag and the access level the
// command requires. The interpreter owns its command objects.
#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <utility>

class RemoteCmd : public QObject {
    Q_OBJECT
public:
    RemoteCmd() = default;

    // Query ("*?NAME"): fills reply; level is the connection's effective access level.
    virtual int run(const std::string& line, std::string* reply, bool level);
    // Set ("*NAME").
    virtual int run(const std::string& line, bool level);

    // Block transfers: declared for commands that move data blocks; no command uses them.
    virtual unsigned char* get_transmit_data(unsigned* count);
    virtual int update_recived_data(unsigned char* data, unsigned* count);
    virtual int save_recived_data();
    virtual int get_block_size();
    // True when the reply follows the header without the separating space.
    virtual bool wants_old_style(std::string line);

    unsigned char hasReply() const { return has_reply_; }
    unsigned char requiredLevel() const { return level_; }
    const std::string& lastError() const { return last_error_; }
    void clearLastError() { last_error_.clear(); }

    // What the command asked to do once its line has been answered (see afterAnswer);
    // taking it clears it.
    std::function<void()> takeAfterAnswer() { return std::exchange(after_answer_, nullptr); }

    void set_last_error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Converts length/2 two-character groups in base 10, 16 or 2 into bytes; the byte count,
    // or 0 for another base, a length under 2 or a first group that is not of the base.
    static int StrToByte(unsigned char* out, const unsigned char* text, int length, int base);
    std::string check_path_flash(const std::string& path) const { return path; }

protected:
    // An action for after the answer has left the instrument (a restart must not cut off
    // its own ACK). The interpreter runs it after an accepted line and drops it otherwise.
    void afterAnswer(std::function<void()> action) { after_answer_ = std::move(action); }

    unsigned char has_reply_ = 1;
    unsigned char level_ = 0;
    std::string last_error_;

private:
    std::function<void()> after_answer_;
};
