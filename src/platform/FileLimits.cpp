#include "platform/FileLimits.h"

#include <csignal>

namespace filelimits {

void reportOversizedWritesAsErrors()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace filelimits
