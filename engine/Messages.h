#pragma once

namespace kestrin::messages {

inline constexpr const char* kNoServer = "Cannot find database server. Please make sure that "
                                         "Kestrin software is installed on your PC and then place "
                                         "this application into Kestrin's directory to run.";
inline constexpr const char* kNoFolder = "Selected directory does not exist.";
inline constexpr const char* kNetwork =
    "Cannot anonymise archive on a network location. Please copy to local PC and try again.";
inline constexpr const char* kDriveRoot = "Cannot anonymise the root of a drive. Please select the "
                                          "folder of the archived Kestrin database.";
inline constexpr const char* kNoDatabase =
    "Logdata.fb file does not exist in the selected directory.";
inline constexpr const char* kCopyFailed = "Unable to copy the archived data to the new folder.";
inline constexpr const char* kNoConnection = "Unable to connect to database.";
inline constexpr const char* kNoTests = "No tests in the selected database to anonymise.";
inline constexpr const char* kUpdateFailed =
    "Error in anonymising the archived logdata.fb file. If the error persists, please contact "
    "Halvercote or your "
    "nearest dealer for further advice.";
inline constexpr const char* kSelectionFailed =
    "Error in filtering patient tests for anonymising. If the error persists, please contact "
    "Halvercote or your "
    "nearest dealer for further advice.";
inline constexpr const char* kSuccess = "Kestrin data anonymised successfully. To review, please "
                                        "import the anonymised data into a clean Kestrin "
                                        "database.";

inline constexpr const char* kStatusIdle =
    "Please select the directory location of the archived Kestrin database to be anonymised.";
inline constexpr const char* kStatusCopying = "Copying archived data to new folder...please wait";
inline constexpr const char* kStatusAnonymising = "Anonymising data...please wait";

} // namespace kestrin::messages
