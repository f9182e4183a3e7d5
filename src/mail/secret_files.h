#pragma once
// What an older version left readable by others: the program folder, the outbox, the stored mail
// password and the mails in the outbox that hold the orders' "#GALAXY" line (with the race's
// password). The program narrows them to their owner when it starts.

#include <filesystem>
#include <string>

namespace tovix {

// Takes every permission of the group and of others from `programFolder` and `outbox` (0755
// becomes 0700), from the file `passwordFile` and from each file of the outbox that holds
// "#GALAXY" (0644 becomes 0600), where they exist. Only what the user owns is changed. A symbolic
// link is never followed to a file (the outbox itself may be one), nor is a folder inside the
// outbox entered; other files are left as they are. Returns a message that names what could not be
// narrowed and why; empty when all went well.
std::string NarrowSecretFiles(const std::filesystem::path& programFolder,
                              const std::filesystem::path& outbox,
                              const std::filesystem::path& passwordFile);

}  // namespace tovix
