#include "net/socket_error.h"

#include <cerrno>
#include <netdb.h>

namespace lumiqo {

namespace {

struct CodeText {
  int code;
  const char *text;
};

constexpr CodeText kTexts[] = {
    {10004, "Interrupted function call."},
    {10013, "Permission denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Resource temporarily unavailable."},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on nonsocket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Network dropped connection on reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send after socket shutdown."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10065, "No route to host."},
    {10067, "Too many processes."},
    {10091, "Network subsystem is unavailable."},
    {10092, "Winsock.dll version out of range."},
    {10093, "Successful WSAStartup not yet performed."},
    {11001, "Host not found."},
    {11002, "Nonauthoritative host not found."},
    {11003, "This is a nonrecoverable error."},
    {11004, "Valid name, no data record of requested type."},
};

const char *findText(int code) {
  for (const CodeText &entry : kTexts)
    if (entry.code == code)
      return entry.text;
  return nullptr;
}

} // namespace

QString GetErrorDescription(int code) {
  const char *text = findText(code);
  return QString::fromLatin1(text ? text : "Unknown error.");
}

int SocketErrorFromErrno(int err) {
  switch (err) {
  case EINTR: return 10004;
  case EACCES:
  case EPERM: return 10013;
  case EFAULT: return 10014;
  case EINVAL: return 10022;
  case EMFILE:
  case ENFILE: return 10024;
  case EAGAIN: return 10035;
  case EINPROGRESS: return 10036;
  case EALREADY: return 10037;
  case ENOTSOCK:
  case EBADF: return 10038;
  case EDESTADDRREQ: return 10039;
  case EMSGSIZE: return 10040;
  case EPROTOTYPE: return 10041;
  case ENOPROTOOPT: return 10042;
  case EPROTONOSUPPORT: return 10043;
  case ESOCKTNOSUPPORT: return 10044;
  case EOPNOTSUPP: return 10045;
  case EPFNOSUPPORT: return 10046;
  case EAFNOSUPPORT: return 10047;
  case EADDRINUSE: return 10048;
  case EADDRNOTAVAIL: return 10049;
  case ENETDOWN: return 10050;
  case ENETUNREACH: return 10051;
  case ENETRESET: return 10052;
  case ECONNABORTED: return 10053;
  case ECONNRESET: return 10054;
  case ENOBUFS:
  case ENOMEM: return 10055;
  case EISCONN: return 10056;
  case ENOTCONN: return 10057;
  case ESHUTDOWN:
  case EPIPE: return 10058;
  case ETIMEDOUT: return 10060;
  case ECONNREFUSED: return 10061;
  case EHOSTUNREACH:
  case EHOSTDOWN: return 10065;
  default: break;
  }
  const int guess = 10000 + err;
  return findText(guess) ? 10000 : guess;
}

int SocketErrorFromResolver(int eaiCode) {
  switch (eaiCode) {
  case EAI_NONAME: return sckerr::HostNotFound;
  case EAI_AGAIN: return sckerr::TryAgain;
#ifdef EAI_NODATA
  case EAI_NODATA: return sckerr::NoData;
#endif
#ifdef EAI_ADDRFAMILY
  case EAI_ADDRFAMILY: return sckerr::NoData;
#endif
  case EAI_MEMORY: return 10055;
  case EAI_SYSTEM: return SocketErrorFromErrno(errno);
  default: return sckerr::NoRecovery;
  }
}

SocketError::SocketError(int number, QString description, QString source)
    : number_(number), description_(std::move(description)), source_(std::move(source)),
      what_((source_ + QStringLiteral(": ") + QString::number(number_) + QLatin1Char(' ') + description_)
                .toStdString()) {}

QString SocketSource(const char *operation) {
  return QStringLiteral("CSocketMaster.") + QLatin1String(operation);
}

SocketError ClassError(int number, const char *operation) {
  const char *text = nullptr;
  switch (number) {
  case sckerr::OutOfMemory: text = "Out of memory"; break;
  case sckerr::WrongProtocolOrState:
    text = "Wrong protocol or connection state for the requested transaction or request";
    break;
  case sckerr::InvalidArgument:
    text = "The argument passed to a function was not in the correct format or in the specified range.";
    break;
  case sckerr::UnsupportedType: text = "Unsupported variant type."; break;
  case sckerr::InvalidOperation: text = "Invalid operation at current state"; break;
  default: return SocketError::fromCode(number, SocketSource(operation));
  }
  return SocketError(number, QString::fromLatin1(text), SocketSource(operation));
}

SocketError InvalidArgumentError(const char *operation) {
  return SocketError(sckerr::InvalidArgument, QStringLiteral("Invalid argument"), SocketSource(operation));
}

SocketError SocketError::fromCode(int code, const QString &source) {
  return SocketError(code, GetErrorDescription(code), source);
}

SocketError SocketError::fromErrno(const QString &source) {
  return fromCode(SocketErrorFromErrno(errno), source);
}

} // namespace lumiqo
