#ifndef RECOGNITION_CTRANSACTEDOBJECT_H
#define RECOGNITION_CTRANSACTEDOBJECT_H

namespace IAS {

class CCiaCard;
class CTerminal;

/// Something that works on one card through a card object and its terminal,
/// and can be told that the card's current selection is no longer known.
class CTransactedObject {
public:
    virtual ~CTransactedObject() = default;

    /// Forgets the card object's selection cache.
    virtual void invalidateSelection() = 0;
    virtual CCiaCard& cardObject() = 0;
    virtual CTerminal& terminal() = 0;
};

} // namespace IAS

#endif
