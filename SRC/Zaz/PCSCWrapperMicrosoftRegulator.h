#ifndef ZAZ_PCSCWRAPPERMICROSOFTREGULATOR_H
#define ZAZ_PCSCWRAPPERMICROSOFTREGULATOR_H

namespace ZAZ {

/// Decides whether the PC/SC service may be used before a context is
/// established. A missing daemon shows up as the context's own failure, so
/// the check only honours the "PCSCCheckIfStarted" setting and always reports
/// the service as started.
class PCSCWrapperMicrosoftRegulator {
public:
    /// With force, the process-wide checked-once flag is cleared first; without
    /// it, a check already done answers true at once. `timeoutMs` is unused.
    static bool CheckPCSCStartedEvent(unsigned long timeoutMs, bool force);

    /// Whether a check has been done since the last forced one (for tests).
    static bool CheckedOnce();
};

} // namespace ZAZ

#endif
