#pragma once
// Numbered socket errors: the texts of the socket library's codes, the translation of POSIX
// errno values and resolver failures into those codes, and the exception that carries a
// raised error to the caller.

#include <QString>
#include <exception>
#include <string>

namespace lumiqo {

// Error numbers the socket class raises besides the socket library's codes.
namespace sckerr {
inline constexpr int OutOfMemory = 7;
inline constexpr int WrongProtocolOrState = 40006;
inline constexpr int InvalidArgument = 40014;
inline constexpr int UnsupportedType = 40018;
inline constexpr int InvalidOperation = 40020;

inline constexpr int WouldBlock = 10035;
inline constexpr int InProgress = 10036;
inline constexpr int MessageTooLong = 10040;
inline constexpr int AddressFamily = 10047;
inline constexpr int AddressNotAvailable = 10049;
inline constexpr int TimedOut = 10060;
inline constexpr int Refused = 10061;
inline constexpr int HostNotFound = 11001;
inline constexpr int TryAgain = 11002;
inline constexpr int NoRecovery = 11003;
inline constexpr int NoData = 11004;
} // namespace sckerr

// The text of a socket-library code; "Unknown error." for a code the table does not hold.
QString GetErrorDescription(int code);

// The socket-library code for a POSIX errno value. Values without a counterpart become
// 10000 + errno unless that number means something else, then 10000 ("Unknown error.").
int SocketErrorFromErrno(int err);

// The socket-library code for a getaddrinfo() failure (EAI_*).
int SocketErrorFromResolver(int eaiCode);

// A numbered error raised to the caller of a socket operation.
class SocketError;

// "CSocketMaster." followed by the operation.
QString SocketSource(const char *operation);

// An error of the socket class with the description its number carries (a socket-library
// code has its own text).
SocketError ClassError(int number, const char *operation);

// Error 40014 with the short description "Invalid argument".
SocketError InvalidArgumentError(const char *operation);

class SocketError : public std::exception {
public:
  SocketError(int number, QString description, QString source);
  // A socket-library code with its own text.
  static SocketError fromCode(int code, const QString &source);
  // The calling thread's errno, translated.
  static SocketError fromErrno(const QString &source);

  int Number() const { return number_; }
  const QString &Description() const { return description_; }
  const QString &Source() const { return source_; }
  const char *what() const noexcept override { return what_.c_str(); }

private:
  int number_;
  QString description_;
  QString source_;
  std::string what_;
};

} // namespace lumiqo
