#pragma once
// Tests that touch the program's own folder, Documents\zarvi of the test prefix: each starts
// and ends without it.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>

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

    std::wstring documents;
    std::wstring appFolder;
};
