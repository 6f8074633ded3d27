// The service front end's portable rules: the arguments the start parameters add,
// and when stop requests reach the application.
#include "service/service_host.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace launcher {
namespace {

struct ArgumentCase {
    const char* name;
    WideStringList startParameters;
    bool omitServiceName;
    WideStringList expected;
};

class ServiceArguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(ServiceArguments, FollowTheStartParameters) {
    const ArgumentCase& c = GetParam();
    EXPECT_EQ(serviceArguments(c.startParameters, c.omitServiceName), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, ServiceArguments,
    ::testing::Values(
        ArgumentCase{"NameOnly", {u"Svc"}, false, {u"Svc"}},
        ArgumentCase{"NameOmitted", {u"Svc"}, true, {}},
        ArgumentCase{
            "NameThenParameters", {u"Svc", u"a", u"b c", u""}, false, {u"Svc", u"a", u"b c", u""}},
        ArgumentCase{"OmittedNameKeepsTheParameters", {u"Svc", u"a", u"b"}, true, {u"a", u"b"}},
        ArgumentCase{"NoParameters", {}, false, {}},
        ArgumentCase{"NoParametersOmitted", {}, true, {}}),
    [](const ::testing::TestParamInfo<ArgumentCase>& named) { return named.param.name; });

// One step of a run: a stop request, main being called, or the launch ending;
// after it, the number of deliveries so far.
enum class Step { Request, MainCalled, Ended };

struct StopCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<int> deliveredAfterEach;
};

class StopRequestOrder : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopRequestOrder, DeliversAsOftenAsTheApplicationCanBeAsked) {
    const StopCase& c = GetParam();
    int delivered = 0;
    StopRequests stops([&delivered] { ++delivered; });
    std::vector<int> seen;
    for (Step step : c.steps) {
        switch (step) {
        case Step::Request:
            stops.request();
            break;
        case Step::MainCalled:
            stops.mainCalled();
            break;
        case Step::Ended:
            stops.ended();
            break;
        }
        seen.push_back(delivered);
    }
    EXPECT_EQ(seen, c.deliveredAfterEach);
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    All, StopRequestOrder,
    ::testing::Values(
        StopCase{"EarlyRequestWaitsForMain", {S::Request, S::MainCalled}, {0, 1}},
        StopCase{"EarlyRequestsCountOnce", {S::Request, S::Request, S::MainCalled}, {0, 0, 1}},
        StopCase{"EachLaterRequestIsDelivered", {S::MainCalled, S::Request, S::Request}, {0, 1, 2}},
        StopCase{"EarlyAndLater", {S::Request, S::MainCalled, S::Request}, {0, 1, 2}},
        StopCase{"NothingWithoutARequest", {S::MainCalled, S::Ended}, {0, 0}},
        StopCase{"NothingAfterTheEnd", {S::MainCalled, S::Ended, S::Request}, {0, 0, 0}},
        StopCase{"AFailedStartNeverDelivers", {S::Request, S::Ended, S::MainCalled}, {0, 0, 0}}),
    [](const ::testing::TestParamInfo<StopCase>& named) { return named.param.name; });

} // namespace
} // namespace launcher
