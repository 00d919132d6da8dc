#include "examples/SampleLibrary.h"

namespace lorvex::testing {

namespace {

constexpr std::uint32_t kSaved = 1087556400;  // 18 June 2004, 11:00 UTC

std::string windowSource(const std::string& name, const std::string& title, int controls) {
    std::string text = "forward\r\nglobal type " + name + " from window\r\nend type\r\n";
    for (int i = 1; i <= controls; ++i) {
        text += "type cb_" + std::to_string(i) + " from commandbutton within " + name +
                "\r\nend type\r\n";
    }
    text += "end forward\r\n\r\nglobal type " + name +
            " from window\r\ninteger width = 2400\r\n"
            "integer height = 1600\r\nboolean titlebar = true\r\nstring title = \"" +
            title +
            "\"\r\nboolean controlmenu = true\r\nlong backcolor = 67108864\r\nend type\r\nglobal " +
            name + " " + name + "\r\n\r\non " + name + ".create\r\n";
    for (int i = 1; i <= controls; ++i)
        text += "this.cb_" + std::to_string(i) + "=create cb_" + std::to_string(i) + "\r\n";
    text += "end on\r\n\r\nevent open;this.title = \"" + title + "\"\r\nend event\r\n";
    for (int i = 1; i <= controls; ++i) {
        text += "\r\ntype cb_" + std::to_string(i) + " from commandbutton within " + name +
                "\r\ninteger x = " + std::to_string(100 * i) +
                "\r\ninteger y = 1400\r\n"
                "integer width = 402\r\ninteger height = 112\r\nstring text = \"Button " +
                std::to_string(i) + "\"\r\nend type\r\n";
    }
    return text;
}

EntryLayout compiled(const std::string& name, std::size_t size, std::uint32_t seed,
                     std::uint32_t time) {
    EntryLayout layout;
    layout.name = name;
    layout.data = filler(size, seed);
    layout.time = time;
    return layout;
}

}  // namespace

Bytes filler(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    std::uint32_t state = seed * 2654435761U + 1;
    for (unsigned char& byte : bytes) {
        state = state * 1664525U + 1013904223U;
        byte = static_cast<unsigned char>(state >> 24);
    }
    return bytes;
}

LibraryLayout sampleLibrary() {
    LibraryLayout layout;
    layout.nodes.resize(4);
    // Tree: the root has the left child 1 and the right neighbour 3; node 1
    // has the right neighbour 2. Visiting order: 0, 1, 2, 3.
    layout.nodes[0].left = 1;
    layout.nodes[0].right = 3;
    layout.nodes[1].right = 2;

    EntryLayout application =
        entry("inventory.sra",
              "Inventory and stock keeping"
              "forward\r\nglobal type inventory from application\r\nend type\r\n"
              "global transaction sqlca\r\nend forward\r\n\r\nglobal type inventory "
              "from application\r\nstring appname = \"inventory\"\r\nend type\r\n"
              "global inventory inventory\r\n\r\nevent open;open(w_main)\r\nend event\r\n",
              kSaved);
    application.commentLength = 27;
    layout.nodes[0].entries = {
        compiled("inventory.apl", 1480, 1, kSaved),
        application,
        compiled("w_main.bin", 2600, 2, kSaved + 60),
        entry("w_main.srw", windowSource("w_main", "Inventory", 4), kSaved + 60),
        compiled("w_main.win", 3900, 3, kSaved + 60),
    };
    layout.nodes[1].entries = {
        entry("d_items.srd",
              "release 6;\r\ndatawindow(units=0 timer_interval=0 color=1073741824 )\r\n"
              "table(column=(type=char(20) name=item_code dbname=\"items.code\" )\r\n"
              " column=(type=long name=quantity dbname=\"items.quantity\" )\r\n"
              " retrieve=\"SELECT code, quantity FROM items\" )\r\n",
              kSaved + 120),
        compiled("d_items.dwo", 900, 4, kSaved + 120),
        entry("m_main.srm",
              "forward\r\nglobal type m_main from menu\r\nend type\r\nend forward\r\n\r\n"
              "global type m_main from menu\r\nend type\r\nglobal m_main m_main\r\n",
              kSaved + 180),
        compiled("m_main.men", 700, 5, kSaved + 180),
    };
    layout.nodes[2].entries = {
        compiled("u_toolbar.bin", 1996, 6, kSaved + 240),
        entry("u_toolbar.sru",
              "forward\r\nglobal type u_toolbar from userobject\r\nend type\r\nend forward\r\n\r\n"
              "global type u_toolbar from userobject\r\ninteger width = 2000\r\ninteger height = "
              "120\r\n"
              "end type\r\n",
              kSaved + 240),
        compiled("u_toolbar.udo", 1200, 7, kSaved + 240),
    };
    layout.nodes[3].entries = {
        compiled("C:\\inventory\\img\\logo.bmp", 1078, 8, kSaved + 300),
        compiled("C:\\inventory\\img\\toolbar.gif", 611, 9, kSaved + 300),
        entry("w_about.srw", windowSource("w_about", "About Inventory", 1), kSaved + 360),
        compiled("w_about.win", 1500, 10, kSaved + 360),
    };
    return layout;
}

}  // namespace lorvex::testing
