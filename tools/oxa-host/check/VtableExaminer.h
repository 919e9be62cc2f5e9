// Tells whether an object's virtual table really has the slots a version-2
// class appends, without calling any of them. Three kinds of evidence, the
// strongest first:
//   1. the size of the table's symbol (vtable for ...) in the full or the
//      dynamic symbol table of the library that holds it: a table too short
//      lacks the slots for certain;
//   2. the type information the table points at: whether the object's class
//      derives from the version-2 class;
//   3. what each slot holds: the start of a function (confirmed by a symbol)
//      in a loaded library, code without a symbol, or no code at all.
#ifndef OXA_HOST_VTABLE_EXAMINER_H
#define OXA_HOST_VTABLE_EXAMINER_H

#include <string>

namespace oxahost {

class VtableExaminer {
public:
    enum Finding { kHasSlots, kLacksSlots, kUnknown };

    struct Result {
        Finding finding = kUnknown;
        std::string evidence;
        // Whether the class derives from the version-2 class, by its type
        // information; false also when it has none.
        bool derivesFromV2 = false;
        bool hasTypeInfo = false;
    };

    // `object` is polymorphic; its version-2 slots are `count` slots from
    // `firstSlot` (counted from the address the object points at, the two
    // destructor slots included). `derivesFromV2` answers the type test; it
    // is called only when the object's table has type information.
    static Result examine(const void* object, int firstSlot, int count,
                          bool (*derivesFromV2)(const void* object));
};

}  // namespace oxahost

#endif  // OXA_HOST_VTABLE_EXAMINER_H
