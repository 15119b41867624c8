#include "base/Error.h"

namespace quillmere {

int ExitStatus(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::InputRefused:
      return 1;
    case ErrorKind::File:
      return 2;
    case ErrorKind::RunFault:
      return 3;
    case ErrorKind::Untrustworthy:
      return 4;
    case ErrorKind::Infeasible:
      return 5;
    case ErrorKind::Usage:
      return 64;
    case ErrorKind::Interrupted:
      return 130;
  }
  return 3;
}

}  // namespace quillmere
