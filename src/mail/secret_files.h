#pragma once
// What holds the race's password: the stored mail password and the order mails the program
// placed in the outbox. The program writes them for their owner alone; at each start it narrows
// again what an older version left wider, but only what is its own: those files, its data folder
// and its own outbox. A folder the user named (the program folder given by $TOVIX_HOME or beside
// the executable, an outbox typed in the mail settings, whatever a link leads to) keeps the
// permissions the user gave it, and so does every file there the program did not write.

#include <filesystem>
#include <string>
#include <vector>

#include "core/settings/save_state.h"

namespace tovix {

struct TSecretPlaces {
  std::filesystem::path ProgramFolder;
  bool ProgramFolderIsOwn = false;  // the program's data folder; false: one the user named
  std::filesystem::path Outbox;
  bool OutboxIsOwn = false;  // "outbox" in the program folder; false: the mail settings name one
  std::filesystem::path PasswordFile;
};

struct TNarrowing {
  enum class TWhat { Folder, PasswordFile, Mails };
  // What could not be narrowed: one entry per folder and reason, however many files it holds.
  struct TRefusal {
    std::filesystem::path Folder;  // the folder itself, or where the file or mails are
    TWhat What = TWhat::Folder;
    int Files = 0;  // for Mails
    int Error = 0;  // the errno the system gave
  };
  // A folder the user named that others may read or enter while it holds the stored password or
  // order mails the program wrote.
  struct TOpenFolder {
    std::filesystem::path Folder;
    bool HoldsPassword = false;
    int Mails = 0;
  };
  std::vector<TRefusal> Refused;
  std::vector<TOpenFolder> Open;
};

// Takes every permission of the group and of others from the program folder and the outbox
// where they are the program's own (0755 becomes 0700), from the password file, and from each
// order mail of the outbox that the program wrote (0644 becomes 0600): a file named and begun as
// the outbox writer names and begins a draft, holding "#GALAXY". Only what the user owns is
// changed; a link is never followed to a file, nor is a folder inside the outbox entered, nor an
// own folder that is a link narrowed (it is the user's). Never waits on a pipe.
TNarrowing NarrowSecretFiles(const TSecretPlaces& places);

// What the user is told of `narrowing`; empty when there is nothing to say. The refusals are
// named at every start. An open folder is named once: the store keeps (section "Mail",
// "OpenFolderTold1", "OpenFolderTold2", ...) the folders the user was told of, and is written
// when the run ends as usual, so a run that ends in the configuration dialog tells again.
std::string NarrowingMessage(const TNarrowing& narrowing, TznSaveState& store);

}  // namespace tovix
