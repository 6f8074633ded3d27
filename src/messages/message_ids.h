// Ids of the catalogue texts, named after what they report.
#pragma once

#include <cstdint>

namespace launcher::msg {

inline constexpr uint16_t kWindowsException = 202;
inline constexpr uint16_t kJniExceptionWithReason = 203;
inline constexpr uint16_t kComError = 204;
inline constexpr uint16_t kJniException = 205;
inline constexpr uint16_t kJreNotFoundServer = 206;
inline constexpr uint16_t kJreNotFound = 207;
inline constexpr uint16_t kModulePathFailed = 208;
inline constexpr uint16_t kNoClassPath = 209;
inline constexpr uint16_t kNoMainClass = 210;
inline constexpr uint16_t kMainClassLoadFailed = 211;
inline constexpr uint16_t kNoCreateJavaVm = 212;
inline constexpr uint16_t kCreateVmFailed = 213;
inline constexpr uint16_t kBrowseForJre = 214;
inline constexpr uint16_t kMainClassNotFound = 215;
inline constexpr uint16_t kNoMainMethod = 216;
inline constexpr uint16_t kLatestVersion = 217;
inline constexpr uint16_t kMaximumVersion = 218;
inline constexpr uint16_t kMinimumVersion = 219;
inline constexpr uint16_t kExactVersion = 220;
inline constexpr uint16_t kVersionBetween = 221;
inline constexpr uint16_t kJvmLoadFailed = 222;
inline constexpr uint16_t kFailedToInitialize = 223;
inline constexpr uint16_t kFailedToInitializeModule = 224;
inline constexpr uint16_t kReasonUnknown = 225;
inline constexpr uint16_t kReasonDetached = 226;
inline constexpr uint16_t kReasonVersion = 227;
inline constexpr uint16_t kReasonNoMemory = 228;
inline constexpr uint16_t kReasonExists = 229;
inline constexpr uint16_t kReasonInvalid = 230;
// Added to the catalogue after its first range, 202 to 230.
inline constexpr uint16_t kOptionNotWritable = 231;

} // namespace launcher::msg
