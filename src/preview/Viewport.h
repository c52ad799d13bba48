#pragma once

#include <QSize>

#include <cstdint>
#include <optional>

class GuardedProcedure;
class ViewportSurface;

/// The preview's page inside its fixed viewport, all in twips: the zoom, the sizes and places of the
/// viewport box (Picture2), the page box (Picture1) and the hidden holder of the unscaled page
/// (Zoom_Ori), the two scroll bars, and dragging. It owns no widgets; the window shows its state and
/// does its picture work through a ViewportSurface.
class Viewport final
{
public:
    /// A picture box. Its place is in its container's inner area; its border is drawn on each side.
    struct Box
    {
        float left = 0;
        float top = 0;
        std::int32_t outerWidth = 0;
        std::int32_t outerHeight = 0;
        std::int32_t border = 0;
        bool visible = true;
        /// Fits the box to every picture put into it.
        bool autoSize = false;
        /// Keeps what is painted on it when covered and uncovered.
        bool persistentDrawing = false;
        bool whiteBackground = false;
        /// The size of the picture it holds, if any.
        std::optional<QSize> picture;

        std::int32_t innerWidth() const { return outerWidth - 2 * border; }
        std::int32_t innerHeight() const { return outerHeight - 2 * border; }
    };

    /// A scroll bar from 0 to its maximum; an arrow or a click in the track moves it by 1.
    struct ScrollBar
    {
        bool enabled = true;
        std::int32_t maximum = 32767;
        std::int32_t value = 0;
    };

    /// Twips per screen pixel.
    static constexpr int kTwipsPerPixel = 15;
    /// Pages this wide or high, or larger, are never drawn at a new zoom.
    static constexpr std::int32_t kDrawWidthLimit = 8600;
    static constexpr std::int32_t kDrawHeightLimit = 4000;
    /// How far one notch of the mouse wheel moves the page: three lines of text.
    static constexpr std::int32_t kWheelNotchTwips = 900;

    /// \a surface (not owned) shows the viewport; without one the viewport only computes.
    explicit Viewport(ViewportSurface *surface = nullptr);

    /// The hand-over puts a picture of \a twips size into the page box (none: the box holds no picture).
    void setPagePicture(std::optional<QSize> twips);

    /// Sets up a newly handed-over page at zoom 1.0, as steps of the activation procedure \a activate.
    void setUp(GuardedProcedure &activate);

    /// Paints the page at the current zoom, unless it would reach the drawing limits.
    void RedrawImage();
    /// Puts the page box at the top left and fits both scroll bars to its size. Throws on failure.
    void ConfigureScrollBars();
    /// One quarter step in (\a direction 0) or out (any other value).
    void ZoomStep(std::int32_t direction);
    /// Takes \a zoom when it lies within 0.25 ... 4.0 and redraws.
    void SetZoom(float zoom);

    /// Scroll value changed: the page box follows it. Throw Failure("Overflow") when the product of
    /// step and value does not fit in 32 bits.
    void HScroll1_Change();
    void VScroll1_Change();

    /// The mouse over the page box; \a button is the set of buttons (1 left, 2 right, 4 middle), x and y in
    /// twips of the page box.
    void Picture1_MouseDown(std::int16_t button, std::int16_t shift, float x, float y);
    void Picture1_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
    void Picture1_MouseUp(std::int16_t button, std::int16_t shift, float x, float y);

    /// Puts \a bar at \a percent of its maximum; percentages outside 0 ... 100 change nothing.
    void SetHScrollbarByPercent(ScrollBar &bar, std::int16_t percent);
    void SetVScrollbarByPercent(ScrollBar &bar, std::int16_t percent);

    /// The user moved \a bar to \a value; its change handler runs when the value changed. Throws what the
    /// handler throws.
    void scrollBarMoved(ScrollBar &bar, std::int32_t value);
    /// The mouse wheel turned by \a notches (positive: towards the user) over the viewport: moves the
    /// vertical bar, and so the page, when that bar is enabled. Throws what the change handler throws.
    void wheelTurned(std::int32_t notches);

    const Box &viewportBox() const { return mPicture2; }
    const Box &pageBox() const { return mPicture1; }
    const Box &holder() const { return mZoomOri; }
    ScrollBar &hScroll() { return mHScroll1; }
    ScrollBar &vScroll() { return mVScroll1; }
    const ScrollBar &hScroll() const { return mHScroll1; }
    const ScrollBar &vScroll() const { return mVScroll1; }

    float zoom() const { return mZoom; }
    std::int32_t origWidth() const { return mOrigWidth; }
    std::int32_t origHeight() const { return mOrigHeight; }
    std::int32_t zoomWidth() const { return mZoomWidth; }
    std::int32_t zoomHeight() const { return mZoomHeight; }
    std::int16_t hStep() const { return mHStep; }
    std::int16_t vStep() const { return mVStep; }
    float downX() const { return mDownX; }
    float downY() const { return mDownY; }

private:
    enum class Axis { Horizontal, Vertical };

    void changed();
    void fitPageBoxToPicture();
    void configureBar(Axis axis);
    void setMaximum(ScrollBar &bar, double maximum);
    void setValue(ScrollBar &bar, std::int32_t value);
    void setByPercent(ScrollBar &bar, std::int16_t percent);
    std::int32_t unscaledFromHolder(std::int32_t innerLength) const;

    ViewportSurface *mSurface;

    Box mPicture2;
    Box mPicture1;
    Box mZoomOri;
    ScrollBar mHScroll1;
    ScrollBar mVScroll1;

    float mZoom = 1.0f;
    std::int32_t mOrigWidth = 0;
    std::int32_t mOrigHeight = 0;
    std::int32_t mZoomWidth = 0;
    std::int32_t mZoomHeight = 0;
    std::int16_t mHStep = 0;
    std::int16_t mVStep = 0;
    float mDownX = 0;
    float mDownY = 0;
};
