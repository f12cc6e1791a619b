#ifndef MATERIALX_FORMAT_EXPORT_H
#define MATERIALX_FORMAT_EXPORT_H

/// @file
/// Symbol visibility of MaterialXFormat: the library is linked statically, so
/// the marker is empty.

#define MX_FORMAT_API

#endif
