#include "engine/tools/installed_programs.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>

using dwtest::TempTree;

namespace {

// Knows the origin of the entries it was told about, by id.
class ScriptedLookup final : public dw::OriginLookup {
public:
    std::map<std::string, dw::CommandLine> commands;
    std::vector<dw::CommandLine> uninstallCommands(const std::vector<dw::platform::DesktopEntry>& entries) override
    {
        std::vector<dw::CommandLine> result;
        for (const auto& entry : entries)
            result.push_back(commands.count(entry.id) ? commands[entry.id] : dw::CommandLine{});
        return result;
    }
};

std::string entryText(const std::string& name, const std::string& extra = "")
{
    return "# comment\n[Desktop Entry]\nType=Application\nName=" + name + "\n" + extra + "Exec=true\n";
}

dw::platform::ApplicationFolders foldersIn(const TempTree& tree)
{
    return {tree.path("home/applications"), {tree.path("local/applications"), tree.path("usr/applications")}};
}

std::vector<std::string> ids(const std::vector<dw::UninstallEntry>& programs)
{
    std::vector<std::string> result;
    for (const auto& program : programs)
        result.push_back(program.entry.id);
    return result;
}

}  // namespace

TEST(DesktopEntries, ParsesTheMainGroupOnly)
{
    const auto entry = dw::platform::parseDesktopEntry(
        "[Desktop Entry]\nName=Text Editor\nName[ru]=Текстовый\\sредактор\nNoDisplay=true\n"
        "X-Flatpak=org.example.Editor\n[Desktop Action new]\nName=New Window\nHidden=true\n");
    EXPECT_EQ(entry.name, "Text Editor");
    EXPECT_EQ(entry.displayName(), "Текстовый редактор");
    EXPECT_TRUE(entry.noDisplay);
    EXPECT_FALSE(entry.hidden);
    EXPECT_EQ(entry.flatpakId, "org.example.Editor");
}

TEST(InstalledPrograms, UserEntriesShadowSystemOnesAndInvisibleOrUnknownOnesAreLeftOut)
{
    TempTree tree;
    tree.write("usr/applications/editor.desktop", entryText("Editor", "Name[ru]=Редактор\n"));
    tree.write("home/applications/editor.desktop", entryText("My Editor"));
    tree.write("usr/applications/kde/viewer.desktop", entryText("Viewer"));
    tree.write("local/applications/viewer2.desktop", entryText("Zeta"));
    tree.write("usr/applications/viewer2.desktop", entryText("Shadowed"));
    tree.write("usr/applications/settings.desktop", entryText("Settings", "NoDisplay=true\n"));
    tree.write("usr/applications/gone.desktop", entryText("Gone", "Hidden=true\n"));
    tree.write("usr/applications/unknown.desktop", entryText("Unknown origin"));
    tree.write("usr/applications/readme.txt", "not an entry");
    ScriptedLookup lookup;
    for (const char* id : {"editor.desktop", "kde-viewer.desktop", "viewer2.desktop", "settings.desktop", "gone.desktop"})
        lookup.commands[id] = {"/bin/true", id};

    const auto programs = dw::installedPrograms(foldersIn(tree), lookup);
    ASSERT_EQ(ids(programs), (std::vector<std::string>{"editor.desktop", "kde-viewer.desktop", "viewer2.desktop"}));
    EXPECT_EQ(programs[0].displayName, "My Editor");
    EXPECT_TRUE(programs[0].entry.userEntry);
    EXPECT_EQ(programs[0].entry.systemPath, tree.path("usr/applications/editor.desktop"));
    EXPECT_EQ(programs[1].displayName, "Viewer");
    EXPECT_EQ(programs[2].displayName, "Zeta");
    EXPECT_EQ(programs[2].entry.path, tree.path("local/applications/viewer2.desktop"));
    EXPECT_EQ(programs[2].uninstallCommand, (dw::CommandLine{"/bin/true", "viewer2.desktop"}));
}

TEST(InstalledPrograms, RemovingDeletesAUserEntryAndHidesASystemOne)
{
    TempTree tree;
    const auto folders = foldersIn(tree);
    tree.write("home/applications/own.desktop", entryText("Own"));
    tree.write("usr/applications/system.desktop", entryText("System", "Hidden=false\n") + "[Desktop Action x]\nName=X\n");
    tree.write("usr/applications/both.desktop", entryText("Both"));
    tree.write("home/applications/both.desktop", entryText("Both, customised"));
    ScriptedLookup lookup;
    for (const char* id : {"own.desktop", "system.desktop", "both.desktop"})
        lookup.commands[id] = {"/bin/true"};
    auto programs = dw::installedPrograms(folders, lookup);
    ASSERT_EQ(programs.size(), 3u);

    for (const auto& program : programs)
        ASSERT_TRUE(dw::removeProgramEntry(program.entry, folders)) << program.entry.id;
    EXPECT_TRUE(dw::installedPrograms(folders, lookup).empty());
    struct stat st {};
    EXPECT_NE(::stat(tree.path("home/applications/own.desktop").c_str(), &st), 0);
    // The system's files stay; the user's override hides them.
    EXPECT_EQ(dwtest::readFile(tree.path("usr/applications/system.desktop")),
              entryText("System", "Hidden=false\n") + "[Desktop Action x]\nName=X\n");
    const auto hidden = dw::platform::parseDesktopEntry(dwtest::readFile(tree.path("home/applications/system.desktop")));
    EXPECT_TRUE(hidden.hidden);
    EXPECT_EQ(hidden.name, "System");
    const auto customised = dw::platform::parseDesktopEntry(dwtest::readFile(tree.path("home/applications/both.desktop")));
    EXPECT_TRUE(customised.hidden);
    EXPECT_EQ(customised.name, "Both, customised");
    EXPECT_FALSE(dw::entryStillListed("system.desktop", folders));
    EXPECT_FALSE(dw::entryStillListed("both.desktop", folders));
}

TEST(InstalledPrograms, PackagesAreReadFromDpkgOutput)
{
    const std::vector<std::string> paths = {"/usr/share/applications/a.desktop", "/usr/share/applications/b.desktop",
                                            "/usr/share/applications/c.desktop"};
    const std::string output = "diversion by foo from: /usr/share/applications/b.desktop\n"
                               "pkg-a: /usr/share/applications/a.desktop\n"
                               "libc:amd64, other: /usr/share/applications/b.desktop\n";
    EXPECT_EQ(dw::packagesFromDpkgOutput(output, paths), (std::vector<std::string>{"pkg-a", "libc:amd64", ""}));
}

TEST(InstalledPrograms, SystemLookupKnowsFlatpakAndSnapByTheirEntries)
{
    dw::platform::DesktopEntry flatpak;
    flatpak.path = flatpak.systemPath = "/var/lib/flatpak/exports/share/applications/org.example.App.desktop";
    dw::platform::DesktopEntry keyed;
    keyed.path = keyed.systemPath = "/somewhere/else.desktop";
    keyed.flatpakId = "org.example.Keyed";
    dw::platform::DesktopEntry snap;
    snap.path = snap.systemPath = "/var/lib/snapd/desktop/applications/firefox_firefox.desktop";
    dw::platform::DesktopEntry userOnly;
    userOnly.path = "/home/u/.local/share/applications/mine.desktop";
    userOnly.userEntry = true;
    dw::SystemOriginLookup lookup;
    const auto commands = lookup.uninstallCommands({flatpak, keyed, snap, userOnly});
    EXPECT_EQ(commands[0], (dw::CommandLine{"flatpak", "uninstall", "-y", "org.example.App"}));
    EXPECT_EQ(commands[1], (dw::CommandLine{"flatpak", "uninstall", "-y", "org.example.Keyed"}));
    EXPECT_EQ(commands[2], (dw::CommandLine{"snap", "remove", "firefox"}));
    EXPECT_TRUE(commands[3].empty());
}

TEST(InstalledPrograms, CommandTextQuotesWordsThatNeedIt)
{
    EXPECT_EQ(dw::commandText({"pkexec", "apt-get", "remove", "gimp"}), "pkexec apt-get remove gimp");
    EXPECT_EQ(dw::commandText({"/bin/sh", "/tmp/my script", "it's"}), "/bin/sh '/tmp/my script' 'it'\\''s'");
}
