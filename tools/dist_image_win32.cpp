// The Windows tool makes disc folders only: an ISO image comes from the Linux tool or from a
// disc-burning program, which takes the folder as it is.
#include "tools/dist_image.h"

namespace {

constexpr char kNoImage[] =
    "quorel-tool.exe makes the disc folder only; the ISO image is made by the Linux quorel-tool "
    "(dist --iso) or by a disc-burning program from the folder (leave out --iso); nothing was "
    "copied";

}  // namespace

std::string NoImageWriter() { return kNoImage; }

bool WriteImage(const std::string&, const std::string&, const std::string&, std::ostream&,
                std::string* problem) {
  *problem = kNoImage;
  return false;
}
