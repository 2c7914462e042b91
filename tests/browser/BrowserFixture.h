#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "../TestSupport.h"
#include "Program.h"
#include "UnitMain.h"
#include "resource.h"

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A file name in the temporary folder, apart from other test processes.
inline std::string TempFile(const std::string& name) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "tessmorel_" + std::to_string(::GetCurrentProcessId()) + "_" + name;
}

// The child of a node with the given text; none when there is no such child.
inline TTreeNode Child(TTreeNode node, const std::string& text) {
    for (TTreeNode c = node.FirstChild(); c; c = c.NextSibling())
        if (c.Text() == text) return c;
    return {};
}

// The text of a menu item as the menu holds it; empty for a separator.
inline std::string MenuText(const classlib::TMenuItem& item) {
    if (item.Command == 0 || (::GetMenuState(item.Menu, UINT(item.Command), MF_BYCOMMAND) & MF_SEPARATOR)) return {};
    char text[256] = {};
    ::GetMenuStringA(item.Menu, UINT(item.Command), text, sizeof text, MF_BYCOMMAND);
    return text;
}

// Starts the whole program (every form, in start order) for one test and
// takes it down again afterwards.
class BrowserTest : public ::testing::Test {
protected:
    void StartProgram() {
        CreateTessmorelForms(::GetModuleHandleA(nullptr));
        ASSERT_NE(frmMain, nullptr);
    }
    void TearDown() override {
        classlib::Application().DestroyForms();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        for (const auto& f : FilesToRemove) ::DeleteFileA(f.c_str());
        classlib::ResetSeams();
    }
    static void WriteFile(const std::string& name, const std::string& text) {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out << text;
    }
    static std::vector<std::string> RootTexts() {
        std::vector<std::string> texts;
        for (TTreeNode n = frmMain->trvwKeys.FirstNode(); n; n = n.NextSibling()) texts.push_back(n.Text());
        return texts;
    }
    static std::vector<std::string> ChildTexts(TTreeNode node) {
        std::vector<std::string> texts;
        for (TTreeNode c = node.FirstChild(); c; c = c.NextSibling()) texts.push_back(c.Text());
        return texts;
    }

    // Runs the next modal dialogs through the seam: each call of a script
    // gets the dialog (already filled and shown by its OnShow) and returns
    // its modal result.
    void ScriptDialogs(std::function<int(classlib::TForm&)> script) {
        classlib::Seams().ShowModal = [this, script](classlib::TForm& form) {
            ++DialogsShown;
            return script(form);
        };
    }
    int DialogsShown = 0;

    MessageBoxRecorder Boxes;
    std::vector<std::string> FilesToRemove;
};
