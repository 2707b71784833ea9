#pragma once
// The user guide: a PDF carried in the program as the raw-data resource "RCMANUAL", written
// into the application folder as zarvi.pdf when it is missing, and opened by the shell.
#include <string>

// The application folder, made as GetAppFolder makes it; empty when anything fails.
std::wstring GetGuideFolder();
// GetGuideFolder() + "\zarvi.pdf"; empty when forming it fails.
std::wstring GetGuideFile();
// Writes the embedded guide to GetGuideFile() unless a file is there already (the user's own
// file of that name stays). Written beside and renamed into place: never half a guide. Raises
// "Cannot create file "<path>". <system text>", or "Stream write error" when the disk fills up.
void ExtractGuide();
// ExtractGuide(), then the shell opens the guide file.
void ShowGuide();
