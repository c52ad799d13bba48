#include "Viewport.h"

#include "Failure.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "Rounding.h"
#include "ViewportSurface.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

namespace {
// The window's design: the viewport box with its one-pixel border, and the sizes the page box and the
// holder have until the first page arrives.
constexpr std::int32_t kViewportWidth = 9330;
constexpr std::int32_t kViewportHeight = 7425;
constexpr std::int32_t kViewportBorder = Viewport::kTwipsPerPixel;
constexpr std::int32_t kPageDesignWidth = 2340;
constexpr std::int32_t kPageDesignHeight = 3435;
constexpr std::int32_t kHolderDesignWidth = 735;
constexpr std::int32_t kHolderDesignHeight = 375;

// Overflows up to this many twips scroll in single twips; larger ones in steps of ten.
constexpr float kFineScrollLimit = 100.0f;

class NoSurface final : public ViewportSurface
{
public:
    void viewportChanged() override {}
    void copyPageToHolder() override {}
    void clearPagePicture() override {}
    void paintPageFromHolder(const QRectF &, const QRectF &) override {}
    void setDefaultPointer() override {}
};

NoSurface gNoSurface;

std::int32_t checkedProduct(std::int16_t step, std::int32_t value)
{
    // Formed in 32 bits: a 16-bit product would end every page at 32767 twips, so the lower
    // receipts of a long document could never be scrolled into view.
    return ToInt32(double(std::int32_t(step) * value));
}
} // namespace

Viewport::Viewport(ViewportSurface *surface)
    : mSurface(surface ? surface : &gNoSurface)
{
    mPicture2.outerWidth = kViewportWidth;
    mPicture2.outerHeight = kViewportHeight;
    mPicture2.border = kViewportBorder;
    mPicture2.whiteBackground = true;
    mPicture1.outerWidth = kPageDesignWidth;
    mPicture1.outerHeight = kPageDesignHeight;
    mZoomOri.outerWidth = kHolderDesignWidth;
    mZoomOri.outerHeight = kHolderDesignHeight;
    mZoomOri.whiteBackground = true;
}

void Viewport::changed()
{
    mSurface->viewportChanged();
}

void Viewport::setPagePicture(std::optional<QSize> twips)
{
    mPicture1.picture = twips;
    if (mPicture1.autoSize)
        fitPageBoxToPicture();
    changed();
}

void Viewport::fitPageBoxToPicture()
{
    if (!mPicture1.picture)
        return;
    mPicture1.outerWidth = mPicture1.picture->width() + 2 * mPicture1.border;
    mPicture1.outerHeight = mPicture1.picture->height() + 2 * mPicture1.border;
}

std::int32_t Viewport::unscaledFromHolder(std::int32_t innerLength) const
{
    return ToInt32(double(innerLength) - 2.0);
}

void Viewport::setUp(GuardedProcedure &activate)
{
    activate.step(104, [&] {
        mPicture1.persistentDrawing = true;
        changed();
    });
    activate.step(106, [&] {
        mPicture1.autoSize = true;
        fitPageBoxToPicture();
        changed();
    });
    activate.step(110, [&] {
        mPicture1.whiteBackground = true;
        changed();
    });
    activate.step(114, [&] {
        mZoomOri.persistentDrawing = true;
        changed();
    });
    activate.step(116, [&] {
        mZoomOri.visible = false;
        changed();
    });
    activate.step(118, [&] {
        mZoomOri.outerWidth = mPicture1.outerWidth;
        changed();
    });
    activate.step(120, [&] {
        mZoomOri.outerHeight = mPicture1.outerHeight;
        changed();
    });
    activate.step(122, [&] {
        mZoomOri.picture = mPicture1.picture;
        mSurface->copyPageToHolder();
    });
    activate.step(124, [&] { mZoom = 1.0f; });
    activate.assign(126, mOrigWidth, [&] { return unscaledFromHolder(mZoomOri.innerWidth()); });
    activate.assign(128, mOrigHeight, [&] { return unscaledFromHolder(mZoomOri.innerHeight()); });
    activate.assign(130, mZoomWidth, [&] { return FloorToInt32(double(mOrigWidth) * 1.0); });
    activate.assign(132, mZoomHeight, [&] { return FloorToInt32(double(mOrigHeight) * 1.0); });
    activate.step(134, [&] { RedrawImage(); });
    activate.step(136, [&] { ConfigureScrollBars(); });
}

void Viewport::RedrawImage()
{
    GuardedProcedure proc(Location::Form2_RedrawImage);
    proc.assign(100, mZoomWidth, [&] { return FloorToInt32(double(mZoom) * double(mOrigWidth)); });
    proc.assign(102, mZoomHeight, [&] { return FloorToInt32(double(mZoom) * double(mOrigHeight)); });
    if (proc.test(104, [&] { return mZoomWidth < kDrawWidthLimit && mZoomHeight < kDrawHeightLimit; })) {
        proc.step(106, [&] {
            mPicture1.picture.reset();
            mSurface->clearPagePicture();
        });
        proc.step(108, [&] {
            mPicture1.outerWidth = mZoomWidth;
            changed();
        });
        proc.step(110, [&] {
            mPicture1.outerHeight = mZoomHeight;
            changed();
        });
        proc.step(112, [&] {
            mSurface->paintPageFromHolder(QRectF(0, 0, mZoomWidth, mZoomHeight), QRectF(0, 0, mOrigWidth, mOrigHeight));
        });
        proc.step(114, [&] { mSurface->setDefaultPointer(); });
        proc.step(116, [&] { setValue(mHScroll1, 0); });
        proc.step(118, [&] { setValue(mVScroll1, 0); });
        proc.step(120, [&] {
            mHScroll1.enabled = mPicture2.innerWidth() < mZoomWidth;
            changed();
        });
        proc.step(122, [&] {
            mVScroll1.enabled = mPicture2.innerHeight() < mZoomHeight;
            changed();
        });
    } else {
        // Too large to draw: start again from 1.0, leaving the page on screen as it was drawn last.
        proc.step(124, [&] { mZoom = 1.0f; });
        proc.assign(126, mOrigWidth, [&] { return unscaledFromHolder(mZoomOri.innerWidth()); });
        proc.assign(128, mOrigHeight, [&] { return unscaledFromHolder(mZoomOri.innerHeight()); });
        proc.assign(130, mZoomWidth, [&] { return FloorToInt32(double(mOrigWidth) * 1.0); });
        proc.assign(132, mZoomHeight, [&] { return FloorToInt32(double(mOrigHeight) * 1.0); });
    }
}

void Viewport::ConfigureScrollBars()
{
    mPicture1.top = 0;
    mPicture1.left = 0;
    changed();
    configureBar(Axis::Horizontal);
    configureBar(Axis::Vertical);
}

void Viewport::configureBar(Axis axis)
{
    const bool horizontal = axis == Axis::Horizontal;
    ScrollBar &bar = horizontal ? mHScroll1 : mVScroll1;
    std::int16_t &step = horizontal ? mHStep : mVStep;
    const std::int32_t page = horizontal ? mPicture1.outerWidth : mPicture1.outerHeight;
    const std::int32_t view = horizontal ? mPicture2.outerWidth : mPicture2.outerHeight;
    const float overflow = float(page - view);

    if (page <= view) {
        bar.enabled = false;
        step = 0;
        changed();
        return;
    }
    bar.enabled = true;
    changed();
    if (overflow <= kFineScrollLimit) {
        setMaximum(bar, double(overflow));
        step = 1;
    } else {
        setMaximum(bar, double(overflow) / 10.0);
        step = 10;
    }
    setValue(bar, 0);
}

void Viewport::setMaximum(ScrollBar &bar, double maximum)
{
    // A 32-bit maximum, for the same reason: long documents scroll to their end.
    const std::int32_t rounded = ToInt32(maximum);
    if (rounded < 0)
        throw Failure(QStringLiteral("Invalid property value"));
    bar.maximum = rounded;
    changed();
    // A bar never holds a value beyond its maximum; pulling it back is a change like any other.
    if (bar.value > bar.maximum)
        setValue(bar, bar.maximum);
}

void Viewport::setValue(ScrollBar &bar, std::int32_t value)
{
    if (value < 0 || value > bar.maximum)
        throw Failure(QStringLiteral("Invalid property value"));
    if (value == bar.value)
        return;
    bar.value = value;
    changed();
    if (&bar == &mHScroll1)
        HScroll1_Change();
    else
        VScroll1_Change();
}

void Viewport::HScroll1_Change()
{
    mPicture1.left = -float(checkedProduct(mHStep, mHScroll1.value));
    changed();
}

void Viewport::VScroll1_Change()
{
    mPicture1.top = -float(checkedProduct(mVStep, mVScroll1.value));
    changed();
}

void Viewport::ZoomStep(std::int32_t direction)
{
    const float zoom = direction == 0 ? mZoom + 0.25f : mZoom - 0.25f;
    SetZoom(zoom);
}

void Viewport::SetZoom(float zoom)
{
    if (zoom >= 0.25f && zoom <= 4.0f) {
        mZoom = zoom;
        RedrawImage();
    }
}

void Viewport::Picture1_MouseDown(std::int16_t button, std::int16_t shift, float x, float y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    GuardedProcedure proc(Location::Form2_Picture1_MouseDown);
    proc.step(100, [&] { mDownX = x; });
    proc.step(102, [&] { mDownY = y; });
}

void Viewport::Picture1_MouseMove(std::int16_t button, std::int16_t shift, float x, float y)
{
    Q_UNUSED(shift);
    GuardedProcedure proc(Location::Form2_Picture1_MouseMove);
    if (proc.test(100, [&] { return button == 0; }))
        return;

    // A page wider than the viewport keeps both viewport edges covered; a narrower one ends up at
    // either side.
    float newLeft = 0;
    proc.assign(104, newLeft, [&] { return mPicture1.left - mDownX + x; });
    if (proc.test(106, [&] { return newLeft > 0; })) {
        proc.step(108, [&] { newLeft = 0; });
    } else if (proc.test(110, [&] { return float(mPicture2.innerWidth() - mPicture1.outerWidth) > newLeft; })) {
        proc.step(112, [&] { newLeft = float(mPicture2.innerWidth() - mPicture1.outerWidth); });
    }

    float newTop = 0;
    proc.assign(114, newTop, [&] { return mPicture1.top - mDownY + y; });
    if (proc.test(116, [&] { return newTop > 0; })) {
        proc.step(118, [&] { newTop = 0; });
    } else if (proc.test(120, [&] { return float(mPicture2.innerHeight() - mPicture1.outerHeight) > newTop; })) {
        proc.step(122, [&] { newTop = float(mPicture2.innerHeight() - mPicture1.outerHeight); });
    }

    proc.step(124, [&] {
        mPicture1.left = newLeft;
        mPicture1.top = newTop;
        changed();
    });
}

void Viewport::Picture1_MouseUp(std::int16_t button, std::int16_t shift, float x, float y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    GuardedProcedure proc(Location::Form2_Picture1_MouseUp);
    // A page box exactly as large as the viewport box leaves no share to compute: that bar stays as it is.
    const std::int32_t widthOverflow = mPicture1.outerWidth - mPicture2.outerWidth;
    const std::int32_t heightOverflow = mPicture1.outerHeight - mPicture2.outerHeight;
    std::int32_t h = 0;
    std::int32_t v = 0;
    if (widthOverflow != 0)
        proc.assign(100, h, [&] { return ToInt32(std::fabs(double(mPicture1.left)) / widthOverflow * 100.0); });
    if (heightOverflow != 0)
        proc.assign(102, v, [&] { return ToInt32(std::fabs(double(mPicture1.top)) / heightOverflow * 100.0); });
    if (widthOverflow != 0)
        proc.step(104, [&] { SetHScrollbarByPercent(mHScroll1, ToInt16(h)); });
    if (heightOverflow != 0)
        proc.step(106, [&] { SetVScrollbarByPercent(mVScroll1, ToInt16(v)); });
}

void Viewport::SetHScrollbarByPercent(ScrollBar &bar, std::int16_t percent)
{
    setByPercent(bar, percent);
}

void Viewport::SetVScrollbarByPercent(ScrollBar &bar, std::int16_t percent)
{
    setByPercent(bar, percent);
}

void Viewport::setByPercent(ScrollBar &bar, std::int16_t percent)
{
    if (percent < 0 || percent > 100)
        return;
    setValue(bar, ToInt32(double(percent) / 100.0 * double(bar.maximum)));
}

void Viewport::scrollBarMoved(ScrollBar &bar, std::int32_t value)
{
    setValue(bar, value);
}

void Viewport::wheelTurned(std::int32_t notches)
{
    if (!mVScroll1.enabled || notches == 0)
        return;
    const std::int32_t unitsPerNotch = std::max<std::int32_t>(1, kWheelNotchTwips / std::max<std::int16_t>(mVStep, 1));
    const double target = double(mVScroll1.value) + double(notches) * unitsPerNotch;
    setValue(mVScroll1, std::int32_t(std::clamp(target, 0.0, double(mVScroll1.maximum))));
}
