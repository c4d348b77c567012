#pragma once
#include <stdexcept>
#include <string>

// The error that platform operations raise. Its message is CP932 text, shown
// by the application's error box followed by ".".
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not an integer (StrToInt).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
