// The C++ side of the doors in web_page.js.
#include "platform/web/web_page.h"

extern "C" {
int lumivane_page_fixed_size();
int lumivane_page_still_mode();
int lumivane_page_hidden();
int lumivane_page_full_screen();
void lumivane_page_set_full_screen(int on);
void lumivane_page_set_title(const char* title);
void lumivane_page_set_cursor(int visible);
void lumivane_page_message(const char* caption, const char* text);
void lumivane_page_frame_done();
void lumivane_page_sleep(int ms);
void lumivane_page_show_ended();
int lumivane_page_audio_open(const char* path);
void lumivane_page_audio_play(double fromMs);
void lumivane_page_audio_pause();
void lumivane_page_audio_seek_start();
void lumivane_page_audio_close();
int lumivane_page_audio_playing();
double lumivane_page_audio_position_ms();
uint8_t* lumivane_page_decoded_image(const uint8_t* bytes, std::size_t size, int32_t* width, int32_t* height);
}

namespace platform {

bool pageFixedSize() { return lumivane_page_fixed_size() != 0; }
bool pageStillMode() { return lumivane_page_still_mode() != 0; }
bool pageHidden() { return lumivane_page_hidden() != 0; }
bool pageFullScreen() { return lumivane_page_full_screen() != 0; }
void setPageFullScreen(bool on) { lumivane_page_set_full_screen(on); }
void setPageTitle(const char* title) { lumivane_page_set_title(title); }
void setPageCursor(bool visible) { lumivane_page_set_cursor(visible); }
void pageMessage(const char* caption, const char* text) { lumivane_page_message(caption, text); }
void pageFrameDone() { lumivane_page_frame_done(); }
void pageSleep(int ms) { lumivane_page_sleep(ms); }
void pageShowEnded() { lumivane_page_show_ended(); }
bool pageAudioOpen(const char* hostPath) { return lumivane_page_audio_open(hostPath) != 0; }
void pageAudioPlay(double fromMs) { lumivane_page_audio_play(fromMs); }
void pageAudioPause() { lumivane_page_audio_pause(); }
void pageAudioSeekStart() { lumivane_page_audio_seek_start(); }
void pageAudioClose() { lumivane_page_audio_close(); }
bool pageAudioPlaying() { return lumivane_page_audio_playing() != 0; }
double pageAudioPositionMs() { return lumivane_page_audio_position_ms(); }
uint8_t* pageDecodedImage(const uint8_t* bytes, std::size_t size, int32_t* width, int32_t* height) {
    return lumivane_page_decoded_image(bytes, size, width, height);
}

}  // namespace platform
