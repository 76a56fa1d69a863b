#pragma once
// The names of the files that the program reads and makes in the folder it runs from,
// written out here apart from the product's own constants, so that a wrong name on either
// side fails a test. The macros only compose the paths below from the names.

#define ZRC_TEST_IMAGE   "zrcup0214.bin"
#define ZRC_TEST_STAGING "update_temp.bin"
#define ZRC_TEST_RUN_LOG "ZrcUpdater.log"

namespace files {

inline constexpr char kImage[] = ZRC_TEST_IMAGE;
inline constexpr char kStaging[] = ZRC_TEST_STAGING;
// Where a run moves what it finds at the staging file's name before it deletes it.
inline constexpr char kOldStaging[] = ZRC_TEST_STAGING ".old";
inline constexpr char kRunLog[] = ZRC_TEST_RUN_LOG;
// The file that a run writes the kept records into before it takes the run log's name.
inline constexpr char kNewRunLog[] = ZRC_TEST_RUN_LOG ".new";
inline constexpr char kDebugLog[] = "DebugOut.LOG";

// The paths as the program names them: in the current folder.
inline constexpr char kImagePath[] = ".\\" ZRC_TEST_IMAGE;
inline constexpr char kStagingPath[] = ".\\" ZRC_TEST_STAGING;
inline constexpr char kOldStagingPath[] = ".\\" ZRC_TEST_STAGING ".old";

} // namespace files
