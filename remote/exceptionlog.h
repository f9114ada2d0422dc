// How the remote side reports what the standard library throws: the operation or class
// name, then " Exception from std c++ lib ." and the exception's text, or " Unknow Exception.",
// on the debug output; and the commands' other debug lines. Failure itself travels by result code.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace remotelog {

// One debug line: a fixed fragment directly followed by a detail (a command line, a value).
void note(const char* fragment, const std::string& detail);

void stdException(const char* who, const std::exception& e);
void unknownException(const char* who);

// Runs body; when it throws, logs under who and returns onFailure.
template <typename R, typename F>
R guarded(const char* who, R onFailure, F&& body)
{
    try {
        return std::forward<F>(body)();
    } catch (const std::exception& e) {
        stdException(who, e);
    } catch (...) {
        unknownException(who);
    }
    return onFailure;
}

} // namespace remotelog
