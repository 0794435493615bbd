// AboutWindow: the title, version and maker of the program, the maker's
// contact details and the button that opens the maker's web page.
#pragma once

#include "text/text.h"

struct WindowDefinition;

// The maker's contact details, shown by the About window and used by its blog
// button. The addresses are under example.com and the messenger number is too
// short to belong to anyone.
namespace about_contact {
inline constexpr char kEmail[] = "contact@example.com";
inline constexpr char kMessenger[] = "1234";
inline constexpr char kBlogAddress[] = "http://www.example.com/blog/";
}  // namespace about_contact

// The texts the About window is composed from; show_about fills them in and
// hands them to the window as it is created.
struct AboutInfo {
  Text title;
  Text version;
  Text company;
  Text years;
};
extern AboutInfo about_info;
void release_about_info();  // end of process

const WindowDefinition& about_window();

void show_about();   // 按钮_关于 clicked
void open_blog();    // 打开博客 clicked
void close_about();  // 确定 clicked, the close box, Esc
