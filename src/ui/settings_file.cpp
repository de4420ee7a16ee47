#include "ui/settings_file.h"

#include "text/platform_file.h"
#include "text/text_file.h"

namespace celestra {

void ReadSettings(const std::string& programFolder, const std::function<void(const std::string&)>& setCometPath,
                  const std::function<void(const std::string&)>& setObjectPath) {
    const std::string path = programFolder + kSettingsFileName;
    if (!FileExists(path)) return;
    // A missing line reads as empty text.
    LineReader reader(path);
    setCometPath(reader.ReadLine());
    setObjectPath(reader.ReadLine());
    reader.Close();
}

void WriteSettings(const std::string& programFolder, const std::string& cometPath, const std::string& objectPath) {
    LineWriter writer(programFolder + kSettingsFileName);
    writer.WriteLine(cometPath);
    writer.WriteLine(objectPath);
    writer.Close();
}

}  // namespace celestra
