// A virtual X display of its own (Xvfb) for the programs that drive the real game: the
// end-to-end journeys' harness, the corpus recorder and the benchmark.
#pragma once

#include <sys/types.h>

#include <string>

struct _XDisplay;

// An Xvfb server of the given size ("1024x768"), started for as long as this lives and kept as
// it is between the games run on it (-noreset), as a desktop would be. Xvfb now and then fails
// to come up on a busy machine, so it is given three tries; throws std::runtime_error when none
// works. X errors about windows that vanish while they are looked at are ignored: the calls
// simply fail.
class VirtualDisplay {
  public:
    explicit VirtualDisplay(const std::string& size);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    std::string Name;  // ":N", for DISPLAY
    _XDisplay* Connection = nullptr;
    pid_t Pid = -1;  // the server's

  private:
    void Start(const std::string& size);
    void Stop();
};

// The first window under `window` (the root, say) whose name is `name`; 0 when there is none.
unsigned long FindWindowNamed(_XDisplay* display, unsigned long window, const char* name);
