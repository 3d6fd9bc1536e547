// The catalogue command's files as a user meets them: opening, New, Save As and the question before a file is
// replaced, the settings files left beside the module, files that cannot be read or written; all read back byte
// for byte.
#include "TemplateSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// Inside the sessions' own namespace, which brings the fixture and its helpers.
namespace templatetest {
namespace {

TEST_F(TemplateCommand, OpeningAndClosingAtOnceWritesNothingAndKeepsTheRememberedFile) {
    WriteFile(Path("vantorel1.set"), "100 50 200 ");
    WriteFile(Path("filename.set"), "/old/catalogue.prc");
    ShellRun run = Session("command KXBOMT\n"
                           "dump\n"
                           "click Open\n"
                           "cancel\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "  210 \"\"\n"
                       "  1001 \"\"\n"
                       "  207 \"&Insert Row\" disabled\n"
                       "  208 \"&Delete Row\" disabled\n"
                       "  217 \"&Move Up\" disabled\n"
                       "  218 \"&Move Down\" disabled\n"
                       "  202 \"&New\"\n"
                       "  203 \"&Open\"\n"
                       "  200 \"&Save\" disabled\n"
                       "  204 \"&Save As\" disabled\n"
                       "  205 \"&Close\"\n"
                       "file dialog \"Open [/old/catalogue.prc] *.prc flags 2\"\n");
    EXPECT_EQ(Widths(), "100 50 200 ");
    EXPECT_EQ(FileName(), "/old/catalogue.prc");
}

TEST_F(TemplateCommand, OpenShowsTheEntriesAndCloseRemembersWidthsAndFile) {
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "dump\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 3, active 0,0\n"
                       "    head: Block name|Price|Description\n"
                       "    0: DESK|245.00|Desk\n"
                       "    1: CHAIR|89.50|Chair\n"
                       "    2: CABINET|120|Cabinet\n"
                       "  210 \"" + catalog + "\"\n"
                       "  1001 \"\"\n"
                       "  207 \"&Insert Row\"\n"
                       "  208 \"&Delete Row\"\n"
                       "  217 \"&Move Up\" disabled\n"
                       "  218 \"&Move Down\"\n"
                       "  202 \"&New\"\n"
                       "  203 \"&Open\"\n"
                       "  200 \"&Save\" disabled\n"
                       "  204 \"&Save As\"\n"
                       "  205 \"&Close\"\n");
    // The grid's client width less no side heading, in eighths: 3, 1 and 4 of them.
    EXPECT_EQ(Widths(), "174 58 232 ");
    EXPECT_EQ(FileName(), catalog);
    EXPECT_EQ(ReadFile(catalog), kOffice);
}

TEST_F(TemplateCommand, WidthsAShortFileLacksTakeTheirDefault) {
    WriteFile(Path("vantorel1.set"), "100 ");
    ShellRun run = Session("command KXBOMT\nclick Open\nfile " + catalog + "\nclick Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(Widths(), "100 58 232 ");
}

TEST_F(TemplateCommand, SettingsLieBesideAModuleInAFolderWithCapitals) {
    std::filesystem::path folder = dir / "Plug-Ins" / "CAD";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(Path("libvantorel.so"), folder / "LibVantorel.so");
    WriteFile((folder / "vantorel1.set").string(), "100 ");
    WriteFile(Path("session.txt"), "open " EXAMPLES_DIR "/office.dxf\ncommand KXBOMT\nclick Open\nfile " + catalog +
                                       "\nclick Close\n");
    ShellRun run = Shell(std::string(VANTOREL_EXE) + " --module " + (folder / "LibVantorel.so").string() + " script " +
                         Path("session.txt") + " 2>&1");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    // Read from there (the 100) and written back there, under their own lower-case names.
    EXPECT_EQ(ReadFile((folder / "vantorel1.set").string()), "100 58 232 ");
    EXPECT_EQ(ReadFile((folder / "filename.set").string()), catalog);
    EXPECT_FALSE(std::filesystem::exists(dir / "plug-ins"));
}

TEST_F(TemplateCommand, NewAnsweredNoWritesTheUnsavedEntriesIntoTheNewFile) {
    std::string fresh = Path("new.prc");
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "cell Price 0\n"
                           "type 7\n"
                           "key enter\n"
                           "click New\n"
                           "answer no\n"
                           "file " + fresh + "\n"
                           "dump 201\n"
                           "dump 200\n"
                           "click Close\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "message box \"Save changes to " + catalog + "\": 7\n"
                       "file dialog \"New [] *.prc flags 1\"\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  201 \"\"\n"
                       "    rows 1, active 0,0, editing 0,0 \"\"\n"
                       "    head: Block name|Price|Description\n"
                       "    0: |0|\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  200 \"&Save\" disabled\n"
                       // Close ends the edit on the new row first, which counts as a change.
                       "message box \"Save changes to " + fresh + "\": 7\n");
    EXPECT_EQ(ReadFile(fresh), "DESK|7|Desk\nCHAIR|89.50|Chair\nCABINET|120|Cabinet\n");
    EXPECT_EQ(ReadFile(catalog), kOffice);
    EXPECT_EQ(FileName(), fresh);
}

TEST_F(TemplateCommand, FilesThatCannotBeReadOrWrittenAreSaidAndLoseNothing) {
    std::string missing = Path("missing.prc");
    std::string unwritable = Path("no-such-folder/copy.prc");
    ShellRun run = Session("command KXBOMT\n"
                           "click Open\n"
                           "file " + missing + "\n"
                           "dump 210\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "click Save As\n"
                           "file " + unwritable + "\n"
                           "dump 210\n"
                           "click Save As\n"
                           "cancel\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"Open [] *.prc flags 2\"\n"
                       "vantorel: alert: File " + missing + " could  not be opened\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  210 \"\"\n"
                       "file dialog \"Open [] *.prc flags 2\"\n"
                       "file dialog \"Save as [" + catalog + "] *.prc flags 1\"\n"
                       "vantorel: alert: File " + unwritable + " could  not be opened\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  210 \"" + catalog + "\"\n"
                       // The name the failed write was given is the one proposed next.
                       "file dialog \"Save as [" + unwritable + "] *.prc flags 1\"\n");
    EXPECT_EQ(ReadFile(catalog), kOffice);
    EXPECT_EQ(FileName(), unwritable);
}

TEST_F(TemplateCommand, NewAndSaveAsOntoAnExistingFileAskAndNoKeepsIt) {
    std::string other = Path("other.prc");
    WriteFile(other, "LAMP|15|Lamp\n");
    ShellRun run = Session("command KXBOMT\n"
                           "click New\n"
                           "file " + catalog + "\n"
                           "answer no\n"
                           "dump 210\n"
                           "click Open\n"
                           "file " + catalog + "\n"
                           "click Save As\n"
                           "file " + other + "\n"
                           "answer no\n"
                           "dump 210\n"
                           "click Save As\n"
                           "file " + other + "\n"
                           "answer yes\n"
                           "dump 210\n"
                           "click Close\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "file dialog \"New [] *.prc flags 1\"\n"
                       "message box \"office.prc already exists. Do you want to replace it?\": 7\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  210 \"\"\n"
                       "file dialog \"Open [] *.prc flags 2\"\n"
                       "file dialog \"Save as [" + catalog + "] *.prc flags 1\"\n"
                       "message box \"other.prc already exists. Do you want to replace it?\": 7\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  210 \"" + catalog + "\"\n"
                       "file dialog \"Save as [" + catalog + "] *.prc flags 1\"\n"
                       "message box \"other.prc already exists. Do you want to replace it?\": 6\n"
                       "dialog \"BOM Template\", beeps 0\n"
                       "  210 \"" + other + "\"\n");
    EXPECT_EQ(ReadFile(catalog), kOffice);
    EXPECT_EQ(ReadFile(other), kOffice);
}

TEST_F(TemplateCommand, NewOntoAnExistingFileAnsweredYesStartsItEmpty) {
    ShellRun run = Session("command KXBOMT\n"
                           "click New\n"
                           "file " + catalog + "\n"
                           "answer yes\n"
                           "click Close\n"
                           "answer no\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(ReadFile(catalog), "");
    // A script that does not answer the question ends there, and the file is not replaced on a guess.
    WriteFile(catalog, kOffice);
    run = Session("command KXBOMT\n"
                  "click New\n"
                  "file " + catalog + "\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("a message box \"office.prc already exists. Do you want to replace it?\" wants an answer"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(ReadFile(catalog), kOffice);
}

} // namespace
} // namespace templatetest
