#include "sounds.h"
namespace assetgen {
void MakeSounds(const std::string&) {}
}  // namespace assetgen
