// The module interfaces as a module sees them: the version of each class and
// where the processing object's response() calls go.
#include "BareJackClient.h"
#include "BareWave.h"
#include "IJackClientInterfaceV2.h"
#include "IOXAInterfaceV2.h"
#include "IOXAResponseInterfaceV2.h"
#include "LogCapture.h"
#include "OXAClientUser.h"
#include "RecordingResponse.h"

using android::IJackClientInterface;
using android::IJackClientInterfaceV2;
using android::IOXAInterface;
using android::IOXAInterfaceV2;

typedef RecordingResponse<IOXAResponseInterface> ResponseV1;
typedef RecordingResponse<IOXAResponseInterfaceV2> ResponseV2;

class InterfaceVersionTest : public LogCaptureTest {};

TEST_F(InterfaceVersionTest, FreshBaseObjectsReportVersionOne) {
    BareWave<IOXAInterface> wave;
    BareJackClient<IJackClientInterface> jack;
    ResponseV1 response;

    EXPECT_EQ(wave.getMagicNumber(), 1);
    EXPECT_EQ(jack.getMagicNumber(), 1);
    EXPECT_EQ(response.getMagicNumber(), 1);
}

TEST_F(InterfaceVersionTest, FreshVersionTwoObjectsReportVersionTwo) {
    BareWave<IOXAInterfaceV2> wave;
    BareJackClient<IJackClientInterfaceV2> jack;
    ResponseV2 response;

    EXPECT_EQ(wave.getMagicNumber(), 2);
    EXPECT_EQ(jack.getMagicNumber(), 2);
    EXPECT_EQ(response.getMagicNumber(), 2);
}

TEST_F(InterfaceVersionTest, ContractLogsNothing) {
    {
        BareWave<IOXAInterfaceV2> wave;
        ResponseV2 response;
        wave.setResponseInterface(&response);
        wave.response("x");
        wave.getTargetAPILevel();
        android::oxa_user_create(&response)->response("y");
        android::oxa_user_create(nullptr);
    }
    EXPECT_TRUE(LogCapture::lines().empty());
}

class ObjectResponseTest : public LogCaptureTest {
protected:
    BareWave<IOXAInterfaceV2> wave;
    ResponseV2 response;
};

TEST_F(ObjectResponseTest, AnswersBeforeAnyInterfaceAreDropped) {
    wave.response("early");
    wave.response("early", 7);
    wave.response(1, 2, "ab");
    wave.setResponseInterface(&response);

    wave.response("late");

    EXPECT_EQ(response.answers(), (std::vector<std::string>{"late"}));
}

TEST_F(ObjectResponseTest, EachOverloadReachesItsCounterpart) {
    const char bytes[3] = {1, 2, 3};
    wave.setResponseInterface(&response);

    wave.response("plain");
    wave.response("tagged", 7);
    wave.response(-5, sizeof(bytes), bytes);

    EXPECT_EQ(response.answers(),
              (std::vector<std::string>{"plain", "id:7:tagged", "data:-5:3:010203"}));
    EXPECT_EQ(response.lastData(), static_cast<const void*>(bytes));
}

TEST_F(ObjectResponseTest, NullInterfaceSilencesEveryOverload) {
    wave.setResponseInterface(&response);
    wave.setResponseInterface(nullptr);

    wave.response("x");
    wave.response("x", 7);
    wave.response(4, 1, "x");

    EXPECT_TRUE(response.answers().empty());
}

TEST_F(ObjectResponseTest, LaterInterfaceReplacesTheEarlierOne) {
    ResponseV1 later;
    wave.setResponseInterface(&response);
    wave.setResponseInterface(&later);

    wave.response("x");

    EXPECT_TRUE(response.answers().empty());
    EXPECT_EQ(later.answers(), (std::vector<std::string>{"x"}));
}
