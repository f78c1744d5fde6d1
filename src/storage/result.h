// The outcome of a storage operation: ok, or a message for the user; with a value when the operation reads one.
#pragma once

#include <QString>
#include <utility>

struct Result
{
    bool ok = true;
    QString error; // Japanese text fit to show the user as it stands

    static Result success() { return {}; }
    static Result failure(const QString& message) { return {false, message}; }
    explicit operator bool() const { return ok; }
};

// A record read from storage, or why it could not be read: `value` means something only when ok. Readers hand
// each caller its own copy, so no window depends on what another window read last.
template <typename T> struct ResultWith : Result
{
    T value{};

    static ResultWith of(T v)
    {
        ResultWith r;
        r.value = std::move(v);
        return r;
    }
    static ResultWith failure(const QString& message)
    {
        ResultWith r;
        r.ok = false;
        r.error = message;
        return r;
    }
    static ResultWith failure(const Result& why) { return failure(why.error); }
};
