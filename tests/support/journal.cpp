#include "support/journal.h"

#include <filesystem>
#include <sstream>

#include "platform/platform_file.h"
#include "support/temp_dir.h"

namespace celestra::testing {

std::string PlantJournal(const std::string& path, const std::string& oldBytes, const std::string& newBytes,
                         const std::string& stateFolder) {
    FileIdentity file;
    IdentityOf(path, file);
    const std::string name = std::filesystem::path(path).filename().string();
    std::ostringstream number;
    number << std::hex << file.volume << (stateFolder.empty() ? " " : "-") << file.fileNumber;
    const std::string journalPath = stateFolder.empty()
                                        ? path.substr(0, path.size() - name.size()) + "." + name + ".celestra-journal"
                                        : stateFolder + "journal-" + number.str();
    std::ostringstream header;
    header << "celestra journal 2\n"
           << std::hex << file.volume << " " << file.fileNumber << " " << std::dec << file.bornTicks << " "
           << oldBytes.size() << " " << newBytes.size() << " " << name.size() << "\n";
    WriteBytes(journalPath, header.str() + name + oldBytes + newBytes);
    std::filesystem::permissions(journalPath, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return journalPath;
}

}  // namespace celestra::testing
