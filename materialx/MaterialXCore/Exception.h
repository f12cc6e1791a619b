#ifndef MATERIALX_EXCEPTION_H
#define MATERIALX_EXCEPTION_H

/// @file
/// Base exception classes

#include <MaterialXCore/Library.h>

#include <exception>

MATERIALX_NAMESPACE_BEGIN

/// @class Exception
/// The base class for exceptions that are propagated from the library to the
/// client application.
class MX_CORE_API Exception : public std::exception
{
  public:
    explicit Exception(const string& msg) :
        msg_(msg)
    {
    }

    Exception(const Exception& e) = default;
    Exception& operator=(const Exception& e) = default;
    ~Exception() noexcept override = default;

    const char* what() const noexcept override
    {
        return msg_.c_str();
    }

  private:
    string msg_;
};

/// @class ExceptionTypeError
/// An exception that is thrown when a type mismatch is encountered.
class MX_CORE_API ExceptionTypeError : public Exception
{
  public:
    using Exception::Exception;
};

MATERIALX_NAMESPACE_END

#endif
