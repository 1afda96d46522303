#pragma once
// What the page's script does for the program (web/page_library.js). Texts
// it returns are the caller's to free.

extern "C" {
char* page_option_text();
char* page_link_text();
void page_follow_view(const char* link);
void page_show_state(int paused, int fill);
void page_notice(const char* text);
int page_prefers_reduced_motion();
int page_can_fullscreen();
int page_is_fullscreen();
void page_request_fullscreen();
void page_exit_fullscreen();
void page_fit_canvas(int width, int height, int fill);
void page_ask(int question, const char* caption, const char* text);
void page_show_help(const char* caption, const char* text);
void page_context_lost(int lost);
void page_ended(const char* caption, const char* text);
void page_fault(const char* text);
}
