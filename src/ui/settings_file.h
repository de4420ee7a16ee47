// The two path fields kept between uses of the program: "Celestra.ini" in
// the program folder, the comet-elements path then the object list path,
// each as bytes followed by CR LF.
#pragma once

#include <functional>
#include <string>

namespace celestra {

inline constexpr const char* kSettingsFileName = "Celestra.ini";

// Reads the settings when the file exists (a folder of that name does not
// count). Each line is handed over as soon as it is read, so a failure
// leaves what was read before it. Throws InOutError.
void ReadSettings(const std::string& programFolder, const std::function<void(const std::string&)>& setCometPath,
                  const std::function<void(const std::string&)>& setObjectPath);

// Writes the settings, creating or emptying the file. Throws InOutError.
void WriteSettings(const std::string& programFolder, const std::string& cometPath, const std::string& objectPath);

}  // namespace celestra
