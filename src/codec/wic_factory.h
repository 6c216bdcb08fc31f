// The process-wide Windows Imaging Component factory (Windows only; include from *_wic.cpp).
#pragma once

#include <wincodec.h>

namespace px {

// Joins the calling thread to COM (multithreaded, or whatever model it already has) on its first
// call, and creates the factory once per process; it is never released. Null when WIC is missing.
IWICImagingFactory* imagingFactory();

}  // namespace px
