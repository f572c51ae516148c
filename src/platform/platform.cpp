// SPDX-License-Identifier: MIT
#include "platform/platform.h"

#include <charconv>

namespace marrowlock {

std::optional<NewKeyAnswer> Platform::AskNewKey(const NewKeyRequest& request) {
  NewKeyAnswer answer;
  answer.Name = InputBox("Name of the new key file (in " + request.Folder + "):");
  if (answer.Name.empty()) return std::nullopt;
  std::string lengths;
  for (int n : request.BlockLengths) lengths += (lengths.empty() ? "" : ", ") + std::to_string(n);
  std::string typed = InputBox("Block length in bytes (" + lengths + "; empty for " +
                               std::to_string(request.BlockLength) + "):");
  if (typed.empty()) {
    answer.BlockLength = request.BlockLength;
  } else {
    const char* end = typed.data() + typed.size();
    auto [stop, error] = std::from_chars(typed.data(), end, answer.BlockLength);
    if (error != std::errc() || stop != end) answer.BlockLength = 0;
  }
  return answer;
}

}  // namespace marrowlock
