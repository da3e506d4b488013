// Prints the section suffix of the Windows release this program runs on, so a
// test can check the detection under Wine set to different releases.
#include <cstdio>

#include "profile/profile.h"

int main() {
  CProfile profile;
  char suffix[64];
  profile.GetVariantSuffix(suffix, sizeof(suffix));
  std::printf("suffix=[%s]\n", suffix);
  return 0;
}
