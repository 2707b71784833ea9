#pragma once
// Tests that touch the program's own folder, Documents\zarvi of the test prefix: each starts
// and ends without it.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <string_view>

#include "support/TestFiles.h"

class AppFolderSandbox : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t path[MAX_PATH] = {};
        ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, path)));
        documents = path;
        appFolder = documents + L"\\zarvi";
        testfiles::TempDir::RemoveTree(appFolder);
    }
    void TearDown() override { testfiles::TempDir::RemoveTree(appFolder); }

    // The settings file's content, whole (the section header is added).
    void WriteSettings(const std::string& lines)
    {
        testfiles::WriteBytes(appFolder + L"\\zarvi.ini", "[Settings]\r\n" + lines);
    }
    // The start-up tutorial is switched off, as for a user who has seen it.
    void SkipTutorial() { WriteSettings("DontShowTutorial=1\r\n"); }

    std::wstring documents;
    std::wstring appFolder;
};
