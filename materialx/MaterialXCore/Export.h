#ifndef MATERIALX_CORE_EXPORT_H
#define MATERIALX_CORE_EXPORT_H

/// @file
/// Symbol visibility of MaterialXCore: the library is linked statically, so
/// the markers are empty.

#define MX_CORE_API
#define MX_CORE_EXTERN_TEMPLATE(...) extern template __VA_ARGS__

#endif
