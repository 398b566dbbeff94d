// The web backend's calls into the page (web/page.js installs Module.lumivanePage before the
// program starts). Every function here is a thin door: the page holds the state.
mergeInto(LibraryManager.library, {
  lumivane_page_fixed_size: function() { return Module.lumivanePage.fixedSize ? 1 : 0; },
  lumivane_page_still_mode: function() { return Module.lumivanePage.still ? 1 : 0; },
  lumivane_page_hidden: function() { return document.hidden ? 1 : 0; },
  lumivane_page_full_screen: function() { return document.fullscreenElement ? 1 : 0; },
  lumivane_page_set_full_screen: function(on) { Module.lumivanePage.setFullScreen(!!on); },
  lumivane_page_set_title: function(title) { document.title = UTF8ToString(title); },
  lumivane_page_set_cursor: function(visible) { Module.canvas.style.cursor = visible ? 'auto' : 'none'; },
  lumivane_page_message: function(caption, text) {
    Module.lumivanePage.message(UTF8ToString(caption), UTF8ToString(text));
  },
  lumivane_page_frame_done: function() {
    return Asyncify.handleSleep(function(wakeUp) { Module.lumivanePage.frameDone(wakeUp); });
  },
  lumivane_page_sleep: function(ms) {
    return Asyncify.handleSleep(function(wakeUp) { setTimeout(wakeUp, ms); });
  },
  lumivane_page_show_ended: function() { setTimeout(function() { Module.lumivanePage.showEnded(); }, 0); },
  lumivane_page_audio_open: function(path) { return Module.lumivanePage.audio.open(UTF8ToString(path)) ? 1 : 0; },
  lumivane_page_audio_play: function(fromMs) { Module.lumivanePage.audio.play(fromMs); },
  lumivane_page_audio_pause: function() { Module.lumivanePage.audio.pause(); },
  lumivane_page_audio_seek_start: function() { Module.lumivanePage.audio.seekStart(); },
  lumivane_page_audio_close: function() { Module.lumivanePage.audio.close(); },
  lumivane_page_audio_playing: function() { return Module.lumivanePage.audio.playing() ? 1 : 0; },
  lumivane_page_audio_position_ms: function() { return Module.lumivanePage.audio.positionMs(); },
  lumivane_page_decoded_image: function(bytes, size, width, height) {
    var image = Module.lumivanePage.decodedImage(HEAPU8.subarray(bytes, bytes + size));
    if (!image) return 0;
    var pixels = _malloc(image.data.length);
    if (!pixels) return 0;
    HEAPU8.set(image.data, pixels);
    HEAP32[width >> 2] = image.width;
    HEAP32[height >> 2] = image.height;
    return pixels;
  },
});
