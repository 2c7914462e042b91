#pragma once
#include <stdexcept>
#include <string>

namespace classlib {

// Base of the errors that the class library raises. The application's
// default handler shows the message and the program goes on.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

}  // namespace classlib
