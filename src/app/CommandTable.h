#pragma once

#include <string>
#include <vector>

// One item of a menu: a command id (cmd::Separator for a separator line) and
// its text, '&' marking the mnemonic and the shown shortcut after a tab.
struct MenuItemDef {
    int id;
    const char* text;
};

struct MenuDef {
    const char* title;
    std::vector<MenuItemDef> items;
    // A submenu: added at the end of the menu with this title.
    const char* parent = nullptr;
};

// A toolbar: its object name, its title, the grid of its images and its
// buttons in order (cmd::Separator between groups).
struct ToolbarDef {
    const char* name;
    const char* title;
    int imageWidth;
    int imageHeight;
    std::vector<int> buttons;
};

// A key combination in portable text form ("Ctrl+N", "Shift+Ins") and the
// command it sends.
struct AcceleratorDef {
    const char* keys;
    int id;
};

// The editor's command vocabulary: menus, toolbars, accelerators and the
// texts of every command (status prompt, then tool tip after a newline).
class CommandTable {
public:
    static const std::vector<MenuDef>& menuBar();
    static const std::vector<ToolbarDef>& toolbars();
    static const std::vector<AcceleratorDef>& accelerators();

    // Every command id, each once.
    static const std::vector<int>& allCommands();

    // The string-table text of a command; empty for an unknown id.
    static std::string stringOf(int id);
    // The status-bar prompt: the text before the newline.
    static std::string statusPrompt(int id);
    // The tool tip: the text after the newline, or the whole text without one.
    static std::string toolTip(int id);
    // Name of the toolbar image of a command ("" when it has none).
    static std::string imageName(int id);

    // Commands whose toolbar button or menu item shows a pressed / ticked state.
    static bool isCheckable(int id);

    // Track index 0..9 of a track command, -1 for any other id.
    static int trackOfCommand(int id);
    static int commandOfTrack(int track);

    // The playback speeds in percent, in menu order, and their commands.
    static const std::vector<int>& speeds();
    // Speed in percent of a speed command, 0 for any other id.
    static int speedOfCommand(int id);
    static int commandOfSpeed(int percent);

    static constexpr const char* kTitle = "Fretlark";
    static constexpr const char* kIdlePrompt = "Pour l'aide, appuyez sur F1";
    static constexpr const char* kRecentFileText = "Fichier récent";
};
