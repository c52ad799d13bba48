#pragma once

#include <functional>

class PagePicture;
class QPrinter;

/// Sets \a printer to the paper of the first page of \a picture, so the print dialog offers the
/// document's own paper. A raster picture leaves the printer as it is.
void MatchPrinterToPages(const PagePicture &picture, QPrinter &printer);

/// Prints the whole pages of \a picture on \a printer, rendered at the printer's resolution: the pages
/// of the printer's range (all when it names none), in its page order, each on a sheet of its own at
/// its own size, made smaller only when the paper is. Copies the printer cannot make itself are printed
/// one after another. Pages are rendered band by band, so a page at 1200 dots per inch costs little
/// memory; \a betweenBands runs after each band (to keep the windows alive). Throws Failure.
void PrintPages(const PagePicture &picture, QPrinter &printer, const std::function<void()> &betweenBands = {});
