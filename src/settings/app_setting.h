// CAppSetting: what outlives one run of the application - the main window's placement, the
// last generation parameters and the most-recently-used lists - and its settings file.
#pragma once

#include "common/error.h"
#include "engine/task_setting.h"
#include "settings/mru_list.h"
#include "settings/xml_document.h"

#include <cstdint>
#include <string>

class CAppSetting : public CHasErr<CSimpleErr> {
public:
    CWindowPlacement m_placement;
    mrv::CTaskSetting m_task; // the parameters the form showed at the last quit
    std::string m_lastPath;   // the project open at the last quit
    CMruPathes m_mruPathes;   // project files
    CMruPathes m_srcPathes0;  // START images
    CMruPathes m_srcPathes1;  // END images
    CMruPathes m_dstFolders;  // output folders
    CMruStrings m_dstNames;   // output base names

    // Reads the settings file straight into this record: a load that fails part-way keeps
    // what was read before the failure and the rest as it was. On failure the error record
    // holds the message.
    [[nodiscard]] bool LoadAppSetting(const std::string& path);
    // Writes the settings file; the previous file stays intact when anything fails.
    [[nodiscard]] bool SaveAppSetting(const std::string& path);

    // The Version of the file read by the last LoadAppSetting; 0 when none was read.
    std::uint32_t GetFileVersion() const { return m_fileVersion; }

    // The record's values, without the error record and the version read.
    bool SameValues(const CAppSetting& other) const;

private:
    std::uint32_t m_fileVersion = 0;
};
