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

inline constexpr const char* kWarningFound =
    "Kestrin data anonymised, but some of it still identifies patients.";
inline constexpr const char* kPathNotUsable =
    "The path of the selected directory cannot be handed to the database engine: it is not "
    "valid UTF-8.";
inline constexpr const char* kCopyInsideArchive =
    "The anonymised copy would lie inside the selected directory.";
inline constexpr const char* kCopyFolderNotCreated =
    "Unable to create the folder for the anonymised copy.";
inline constexpr const char* kFinalNameTaken =
    "The anonymised copy went through every step, but a folder of its final name already "
    "exists.";
inline constexpr const char* kCopyNameTaken =
    "A folder or report of the anonymised copy's name already exists:";
inline constexpr const char* kUnfinishedCopy = "The unfinished copy is in: ";
inline constexpr const char* kUnfinishedCopyRemoved = "The unfinished copy was removed: ";
inline constexpr const char* kReport = "Report: ";

inline constexpr const char* kStatusIdle =
    "Please select the directory location of the archived Kestrin database to be anonymised.";
inline constexpr const char* kStatusCopying = "Copying archived data to new folder...please wait";
inline constexpr const char* kStatusAnonymising = "Anonymising data...please wait";

} // namespace kestrin::messages
