#ifndef IAS_EXPORT_H
#define IAS_EXPORT_H

/* Marks the classes and functions that libias exports; everything else in the
 * shared object stays hidden. */
#if defined(__GNUC__)
#define IAS_API __attribute__((visibility("default")))
#else
#define IAS_API
#endif

#endif
