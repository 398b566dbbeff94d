// Where the picture stands in the output and what it is drawn into. The picture keeps the
// designed 4:3 shape: it fills the largest 4:3 rectangle of the output, centred, with black bars
// beside it or above and below it, and every pixel quantity of the design scales with its height.
// The designed 800x600 picture is drawn straight into the default framebuffer; every other one
// into a buffer of its own (captures come from the picture's own lower-left corner), which
// presentPicture puts into the output after each frame.
#pragma once
#include <string>

struct PictureGeometry {
    int outputWidth = 800, outputHeight = 600;  // the default framebuffer, pixels
    int left = 0, bottom = 0;                   // the picture's lower-left corner in the output
    int width = 800, height = 600;              // the picture in the output, 4k x 3k pixels
    int factor = 1;                             // drawn at factor x its size and filtered down, 1..4

    int drawWidth() const { return width * factor; }
    int drawHeight() const { return height * factor; }
    double scale() const { return drawHeight() / 600.0; }  // s: drawn pixels per designed pixel
    int captureSize() const;                               // round(512 s)
    bool hasBars() const { return width != outputWidth || height != outputHeight; }
};

// What the buffers of the picture may take together: the output (window or pbuffer) and the
// picture's own buffer drawn at factor x, with its samples and resolved copy. A picture beyond it
// is refused before anything is drawn (4096x3072 drawn at 4 x would take 1.6 GB).
inline constexpr unsigned long long kPictureBudgetBytes = 1ull << 30;
// Bytes of a drawn buffer: 4 of colour and 4 of depth and stencil per sample, and 4 for the
// resolved picture when multisampled.
unsigned long long pictureBufferBytes(int drawWidth, int drawHeight, int samples);
// Empty when the picture of an output of outputWidth x outputHeight drawn at factor x with
// samples fits the budget; otherwise why not, in one line.
std::string pictureMemoryProblem(int outputWidth, int outputHeight, int factor, int samples);

// The largest 4:3 rectangle of an output of outputWidth x outputHeight, centred (any odd pixel of
// a bar goes to the right or the top), drawn at factor x. Sides under 4 x 3 give a 4x3 picture.
PictureGeometry pictureGeometry(int outputWidth, int outputHeight, int factor);

// Fits the show's picture to an output of outputWidth x outputHeight (the default framebuffer's
// size), drawn at factor x and, with samples >= 2, multisampled. Makes its buffer when it needs
// one; the effects' capture size and scale, the base line width and the show's projection (60
// degrees, near 1, far 10000, over the drawn picture) follow, effect textures that exist are made
// again at the new capture size and the font's curves are refined for it. Needs a current
// context and no frame in progress. False with a one-line reason when the GL cannot provide it;
// the previous picture then stays.
bool fitPicture(int outputWidth, int outputHeight, int factor, int samples, std::string& error);
// The window's resize slot: the picture follows the new output size with its factor and samples.
void followOutputSize(int outputWidth, int outputHeight);
const PictureGeometry& currentPicture();
int pictureSamples();  // 0 when the picture is not multisampled
// The most samples the GL offers for a picture buffer; 0 without multisampled framebuffers.
int maxPictureSamples();

// Binds the picture's buffer for drawing and reading; called at the start of every frame.
void beginPictureFrame();
// Puts the frame's finished picture into the default framebuffer, once per begun frame: black
// bars and the picture in its rectangle, box-filtered down by its factor, a multisampled picture
// resolved. Leaves the default framebuffer bound for reading (the frame read-back) and the
// picture's buffer for drawing; the GL state is otherwise as it was. Does nothing when the
// picture is drawn straight into the default framebuffer.
void presentPicture();
// Deletes the picture's buffers: back to the designed picture in the default framebuffer (the
// projection is left to the caller). Call while the context is current.
void releasePicture();
