// The parts the settings file and the project file share: the file template, the program
// version both write, and the Task element that stores a mrv::CTaskSetting.
#pragma once

#include "engine/task_setting.h"
#include "settings/xml_document.h"

#include <string>
#include <string_view>

// The version both savers write into Version (1.0.0.0).
inline constexpr std::uint32_t kProgramVersion = MakeVersion(1, 0, 0, 0);

// The text a save starts from: the XML declaration and an empty root element carrying the
// xsi and xsd namespace declarations.
std::string DocumentTemplate(std::string_view root);

// Create(template), select the root and write Version: the start of every save.
[[nodiscard]] bool BeginDocument(CXmlDocument& doc, std::string_view rootName, CXmlElement& root);

// The Task element with every field of the task in stored order; paths relative to the
// document's base folder.
[[nodiscard]] bool WriteTaskElement(CXmlDocument& doc, CXmlElement parent,
                                    const mrv::CTaskSetting& task);
// Reads the Task element field by field through the task's setters; the first failure ends
// the read, leaving the fields read before it set.
[[nodiscard]] bool ReadTaskElement(CXmlDocument& doc, CXmlElement parent, mrv::CTaskSetting& task);
