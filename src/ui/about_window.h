// The About window: its handlers and the maker's contact details it shows.
#pragma once

// The maker's contact details, shown by the About window and used by its blog
// button. The addresses are under example.com and the messenger number is too
// short to belong to anyone.
namespace about_contact {
inline constexpr char kEmail[] = "contact@example.com";
inline constexpr char kMessenger[] = "1234";
inline constexpr char kBlogAddress[] = "http://www.example.com/blog/";
}  // namespace about_contact

void show_about();            // 按钮_关于 clicked
void about_window_created();  // AboutWindow created
void open_blog();             // 打开博客 clicked
void close_about();           // 确定 clicked, the close box, Esc
