#pragma once

class QThreadPool;

// The threads the program's own work runs on (the estimates and the fit, the encoders'
// bands, brightness and contrast): a pool of its own beside Qt's global one. Qt 6.4
// and 6.5 draw large fills and scaled pictures with the global pool's threads and wait
// for them, so long jobs there would hold up the window's painting until one ended.
namespace workpool {

// The pool, made with the application (which ends its threads, waiting for the jobs
// under way, when it goes); its threads as many as the machine's cores.
QThreadPool& instance();

}  // namespace workpool
