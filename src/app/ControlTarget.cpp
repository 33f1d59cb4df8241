#include "app/ControlTarget.h"

namespace lumivane {

TControlReply CarryOut(const TControlTarget& target, const TControlRequest& request) {
    using V = TControlVerb;
    using C = TCommandId;
    TManagedConfiguration& config = target.Config;
    switch (request.Verb) {
    case V::Activate: target.Dispatch.Execute(C::actActivate); break;
    case V::Deactivate: target.Dispatch.Execute(C::actDeactivate); break;
    case V::DeactivateFor:
    case V::DeactivateUntil: config.actDeactivateForExecute(request.Ms); break;
    case V::Restore: target.Dispatch.Execute(C::actRestoreConfiguration); break;
    case V::Toggle: target.Dispatch.Execute(config.FActivated ? C::actDeactivate : C::actActivate); break;
    case V::Status: break;
    case V::Exit: target.Later(C::actExit); break;
    case V::ScreenSaver: target.Later(C::actScreenSaver); break;
    case V::PowerOff: target.Later(C::actPowerOff); break;
    case V::Recover: break;  // never sent
    case V::WhileProcess: break;  // held by Answer
    }
    const TDisplayPowerConfiguration now = GetDisplayPowerConfiguration(target.Spi);
    TControlReply reply{config.FActivated ? TControlState::Active : TControlState::Deactivated,
                        now.ScreenSaverSetting.Active, now.PowerOffSetting.Active, 0,
                        !now.ScreenSaverSetting.Active && now.ScreenSaverSetting.Timeout == 0,
                        !now.PowerOffSetting.Active && now.PowerOffSetting.Timeout == 0};
    // A running period says more than the plain state.
    if (config.DeactivateForRunning()) {
        reply.State = TControlState::DeactivatedFor;
        reply.UntilMs = config.FDeactivatedUntilMs;
    } else if (config.AutomaticUntilMs() && !config.FActivated) {
        // The schedule holds, and says until when.
        reply.State = TControlState::DeactivatedFor;
        reply.UntilMs = config.AutomaticUntilMs();
    } else if (!config.FActivated && !config.AutomaticCause().empty()) {
        // Held by what ends by itself, at a moment nobody knows yet.
        const std::wstring& cause = config.AutomaticCause();
        reply.While = config.AutomaticByCommand()   ? TWhileCause::Job
                      : cause == kCallCause       ? TWhileCause::Call
                      : cause == kPresentingCause ? TWhileCause::Presenting
                                                  : TWhileCause::None;
        if (reply.While != TWhileCause::None) reply.State = TControlState::DeactivatedWhile;
    }
    return reply;
}

bool NotAllowed(const TPolicies& policies, TControlVerb verb, bool activated) {
    using V = TControlVerb;
    if (verb == V::Status || verb == V::Exit || verb == V::Recover) return false;
    if (!policies.Allows(TPolicy::AllowCommandLineControl)) return true;
    const bool deactivates = verb == V::Deactivate || verb == V::DeactivateFor || verb == V::DeactivateUntil ||
                             verb == V::WhileProcess || (verb == V::Toggle && activated);
    // A process's run has no end an administrator's longest period could cut.
    const std::optional<uint64_t> permitted = PermittedDeactivation(policies, 0);
    return deactivates && (!policies.Allows(TPolicy::AllowDeactivation) || (verb == V::WhileProcess && *permitted != 0));
}

uint64_t Answer(const TControlTarget& target, const std::optional<TControlRequest>& request,
                const TCopyState& state) {
    // A copy that is ending will not be ready again; a bad request never is.
    if (!request || state.Ending) return 0;
    if (!state.Ready || state.InCommand) return kBusyReply;
    if (NotAllowed(target.Config.Policies(), request->Verb, target.Config.FActivated)) return kNotAllowedReply;
    if (request->Verb == TControlVerb::WhileProcess) {
        if (!target.HoldWhile || !target.Holds) return 0;
        if (target.Holds() >= kMaxWhileHolds) return kTooManyHoldsReply;
        if (!target.HoldWhile(request->Ms)) return 0;
    }
    return EncodeReply(CarryOut(target, *request));
}

}  // namespace lumivane
