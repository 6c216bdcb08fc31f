// The Windows viewer under Wine for the viewer latency benchmark: px-viewer-latency-bench.exe
// ($PX_WINE_VIEWER_EXE, with libgcrypt's DLLs beside it) started by $PX_WINE_LOADER (default: wine)
// in the prefix named by WINEPREFIX, on an X display of its own (a viewer on the host's screen
// would be captured in turn). Its standard input and output are pipes for the line exchange of
// latency_probe.h; standard error goes to work/wine-viewer.log.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "draw_latency.h"
#include "screen_drawer.h"
#include "session_rig.h"

namespace px::bench {

struct WineViewerResult {
  LatencySamples drawToPixel;     // from its "draw N" line to the pixel in its render target
  std::vector<double> frameMs;    // upload, draw and read-back of each frame that showed a probe
  std::vector<double> uploadMs;   // the upload alone of those frames
  std::vector<double> pipeOneWay; // half of each ping round trip
  std::string failure;            // empty when every sample was taken
};

// Why the Wine viewer cannot be started (no exe or no prefix in the environment); empty when it can.
std::string wineViewerMissing();

// Starts the viewer against the rig's host (the rig's own viewer must have ended) and draws what
// it asks for on the rig's screen until it has taken `samples` samples, fails, or 10 minutes pass.
WineViewerResult runWineViewer(SessionRig& rig, ScreenDrawer& drawer, const std::string& display,
                               int samples);

// The process and its pipes. SIGTERM, then SIGKILL, when it has not exited as the object goes.
class WineViewerProcess {
 public:
  WineViewerProcess(const std::filesystem::path& folder, const std::string& display,
                    const std::vector<std::string>& args);
  ~WineViewerProcess();
  WineViewerProcess(const WineViewerProcess&) = delete;
  WineViewerProcess& operator=(const WineViewerProcess&) = delete;

  bool started() const { return pid_ > 0; }
  const std::string& failure() const { return failure_; }
  // The next line of its standard output without the line end; false when it closed the stream
  // or `limit` passed.
  bool readLine(std::chrono::milliseconds limit, std::string& line);
  bool writeLine(const std::string& line);
  // Its exit status (waits up to 10 s); -1 when it did not exit or was killed.
  int waitExit();
  // The last lines it wrote that were not part of the exchange (its log) and its standard error.
  std::string tail() const;
  void keepOtherLine(const std::string& line);

 private:
  bool reaped();  // true once it exited (its status kept)

  std::filesystem::path folder_;
  pid_t pid_ = -1;
  int exitStatus_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string buffered_;
  std::deque<std::string> otherLines_;
  std::string failure_;
};

}  // namespace px::bench
