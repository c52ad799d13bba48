#include "LibreOfficeRange.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeDocument.h"
#include "LibreOfficePagePicture.h"
#include "LibreOfficeSession.h"

#include <QDir>
#include <QFile>
#include <QMarginsF>
#include <QScopeGuard>
#include <QUrl>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XTextCursor.hpp>

using namespace css;

namespace {
double pointsFrom100thMm(sal_Int32 value)
{
    return value * 72.0 / 2540.0;
}

sal_Int32 intProperty(const uno::Reference<beans::XPropertySet> &properties, const char *name)
{
    sal_Int32 value = 0;
    properties->getPropertyValue(OUString::createFromAscii(name)) >>= value;
    return value;
}

bool boolProperty(const uno::Reference<beans::XPropertySet> &properties, const char *name)
{
    bool value = false;
    properties->getPropertyValue(OUString::createFromAscii(name)) >>= value;
    return value;
}

// The margins around the text area of the page style that the document starts with, in points;
// a header or footer counts as margin.
QMarginsF textAreaMargins(const uno::Reference<text::XTextDocument> &model)
{
    const uno::Reference<beans::XPropertySet> start(model->getText()->createTextCursor(), uno::UNO_QUERY_THROW);
    OUString styleName;
    start->getPropertyValue("PageStyleName") >>= styleName;
    const uno::Reference<style::XStyleFamiliesSupplier> families(model, uno::UNO_QUERY_THROW);
    const uno::Reference<container::XNameAccess> pageStyles(families->getStyleFamilies()->getByName("PageStyles"),
                                                            uno::UNO_QUERY_THROW);
    const uno::Reference<beans::XPropertySet> page(pageStyles->getByName(styleName), uno::UNO_QUERY_THROW);
    sal_Int32 top = intProperty(page, "TopMargin");
    sal_Int32 bottom = intProperty(page, "BottomMargin");
    if (boolProperty(page, "HeaderIsOn"))
        top += intProperty(page, "HeaderHeight");
    if (boolProperty(page, "FooterIsOn"))
        bottom += intProperty(page, "FooterHeight");
    return QMarginsF(pointsFrom100thMm(intProperty(page, "LeftMargin")), pointsFrom100thMm(top),
                     pointsFrom100thMm(intProperty(page, "RightMargin")), pointsFrom100thMm(bottom));
}
} // namespace

LibreOfficeRange::LibreOfficeRange(std::shared_ptr<LibreOfficeDocument> document)
    : mDocument(std::move(document))
{}

void LibreOfficeRange::CopyAsPicture()
{
    mDocument->ensureOpen();
    const QString what = QStringLiteral("Copying the document as a picture");
    const QString folder = mDocument->session().privateFolder();
    if (folder.isEmpty())
        throw AutomationError(QStringLiteral("%1: the word processor has stopped running.").arg(what));
    static int counter = 0;
    const QString pdf = QDir(folder).filePath(QStringLiteral("picture-%1.pdf").arg(++counter));
    const auto removePdf = qScopeGuard([&] { QFile::remove(pdf); });

    const QMarginsF margins = officeCall(mDocument->session(), what, [&] {
        const uno::Reference<frame::XStorable> storable(mDocument->model(), uno::UNO_QUERY_THROW);
        storable->storeToURL(toOUString(QUrl::fromLocalFile(pdf).toString(QUrl::FullyEncoded)),
                             propertyList({{"FilterName", uno::Any(OUString("writer_pdf_Export"))}}));
        return textAreaMargins(mDocument->model());
    });
    if (!QFile::exists(pdf))
        throw AutomationError(QStringLiteral("%1: the word processor wrote no PDF.").arg(what));
    ProgramClipboard::current().setPicture(LibreOfficePagePicture::render(pdf, margins));
}
