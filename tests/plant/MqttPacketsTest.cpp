// The collector's own MQTT 5 packets: what it sends is well formed, and what it reads is taken
// apart safely whatever the bytes.
#include "MqttPackets.h"

#include <gtest/gtest.h>

namespace pzam::central {
namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

TEST(MqttPackets, FramesAreTakenWhenComplete) {
  struct {
    const char* what;
    std::string buffer;
    TFrame frame;
    std::size_t left;  // bytes left in the buffer after a complete frame
  } cases[] = {
      {"empty", "", TFrame::Incomplete, 0},
      {"header only", Bytes({0xD0}), TFrame::Incomplete, 0},
      {"ping response", Bytes({0xD0, 0x00}), TFrame::Complete, 0},
      {"two packets", Bytes({0xD0, 0x00, 0xD0, 0x00}), TFrame::Complete, 2},
      {"body missing", Bytes({0x30, 0x05, 0x00}), TFrame::Incomplete, 0},
      {"length continues", Bytes({0x30, 0x80}), TFrame::Incomplete, 0},
      {"two-byte length", Bytes({0x30, 0x80, 0x01}) + std::string(128, 'x'), TFrame::Complete, 0},
      {"five-byte length", Bytes({0x30, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}), TFrame::Broken, 0},
      {"over the limit", Bytes({0x30, 0x81, 0x80, 0x01}), TFrame::Broken, 0},
  };
  for (auto& c : cases) {
    TRawPacket p;
    std::string_view input(c.buffer);
    EXPECT_EQ(c.frame, TakePacket(input, 1000, p)) << c.what;
    if (c.frame == TFrame::Complete) {
      EXPECT_EQ(c.left, input.size()) << c.what;
    } else {
      EXPECT_EQ(c.buffer.size(), input.size()) << c.what;  // nothing taken
    }
  }
}

TEST(MqttPackets, PublishesAreReadOrRefused) {
  // Topic "a/b", packet id 7, no properties, payload "hi".
  const std::string qos1 = Bytes({0x00, 0x03, 'a', '/', 'b', 0x00, 0x07, 0x00, 'h', 'i'});
  struct {
    const char* what;
    std::uint8_t flags;
    std::string body;
    bool ok;
    int qos;
    int id;
    const char* payload;
  } cases[] = {
      {"QoS 1", 0x02, qos1, true, 1, 7, "hi"},
      {"QoS 1, dup and retain", 0x0B, qos1, true, 1, 7, "hi"},
      {"QoS 0 has no id", 0x00, Bytes({0x00, 0x01, 't', 0x00, 'x'}), true, 0, 0, "x"},
      {"with properties", 0x02, Bytes({0x00, 0x01, 't', 0x00, 0x01, 0x02, 0x01, 0x01, 'p'}), true,
       1, 1, "p"},
      {"empty payload", 0x02, Bytes({0x00, 0x01, 't', 0x00, 0x01, 0x00}), true, 1, 1, ""},
      {"QoS 3", 0x06, qos1, false, 0, 0, ""},
      {"packet id 0", 0x02, Bytes({0x00, 0x01, 't', 0x00, 0x00, 0x00}), false, 0, 0, ""},
      {"empty topic", 0x02, Bytes({0x00, 0x00, 0x00, 0x01, 0x00}), false, 0, 0, ""},
      {"topic longer than the body", 0x02, Bytes({0x00, 0x09, 'a'}), false, 0, 0, ""},
      {"properties longer than the body", 0x02, Bytes({0x00, 0x01, 't', 0x00, 0x01, 0x09, 0x01}),
       false, 0, 0, ""},
      {"properties length broken", 0x02,
       Bytes({0x00, 0x01, 't', 0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), false, 0, 0, ""},
      {"nothing", 0x02, "", false, 0, 0, ""},
  };
  for (const auto& c : cases) {
    TPublishPacket p;
    const bool ok = DecodePublish({TPacketType::Publish, c.flags, c.body}, p);
    EXPECT_EQ(c.ok, ok) << c.what;
    if (ok && c.ok) {
      EXPECT_EQ(c.qos, p.Qos) << c.what;
      EXPECT_EQ(c.id, p.PacketId) << c.what;
      EXPECT_EQ(c.payload, p.Payload) << c.what;
    }
  }
  TPublishPacket p;
  EXPECT_FALSE(DecodePublish({TPacketType::PubAck, 0x02, qos1}, p));
}

TEST(MqttPackets, ConnectAsksForAPersistentSession) {
  TConnectPacket c;
  c.ClientId = "col";
  c.User = "u";
  c.Password = "pw";
  c.SessionExpirySeconds = 0x01020304;
  c.ReceiveMaximum = 0x0506;
  c.KeepAliveSeconds = 30;
  c.MaximumPacketSize = 0x00100000;
  std::string bytes = EncodeConnect(c);
  std::string_view input(bytes);
  TRawPacket raw;
  ASSERT_EQ(TFrame::Complete, TakePacket(input, 1000, raw));
  EXPECT_EQ(TPacketType::Connect, raw.Type);
  const std::string expected =
      Bytes({0x00, 0x04, 'M',  'Q',  'T',  'T',  0x05,
             0xC0,                          // user, password; clean start off
             0x00, 0x1E,                    // keep alive 30 s
             0x0D,                          // properties: 13 bytes
             0x11, 0x01, 0x02, 0x03, 0x04,  // session expiry
             0x21, 0x05, 0x06,              // receive maximum
             0x27, 0x00, 0x10, 0x00, 0x00,  // maximum packet size
             0x00, 0x03, 'c',  'o',  'l',  0x00, 0x01, 'u', 0x00, 0x02, 'p', 'w'});
  EXPECT_EQ(expected, raw.Body);
  c.CleanStart = true;
  c.User.clear();
  c.Password.clear();
  bytes = EncodeConnect(c);
  input = bytes;
  ASSERT_EQ(TFrame::Complete, TakePacket(input, 1000, raw));
  EXPECT_EQ(0x02, static_cast<std::uint8_t>(raw.Body[7]));
}

TEST(MqttPackets, AcknowledgementsAndSubscriptions) {
  EXPECT_EQ(Bytes({0x40, 0x02, 0x12, 0x34}), EncodePubAck(0x1234));
  EXPECT_EQ(Bytes({0xC0, 0x00}), EncodePingReq());
  EXPECT_EQ(Bytes({0xE0, 0x00}), EncodeDisconnect());
  EXPECT_EQ(Bytes({0x82, 0x0B, 0x00, 0x01, 0x00, 0x00, 0x05, 'a', '/', '+', '/', '#', 0x01}),
            EncodeSubscribe(1, "a/+/#", 1));

  const auto ack = DecodeConnAck({TPacketType::ConnAck, 0, Bytes({0x01, 0x00, 0x00})});
  ASSERT_TRUE(ack);
  EXPECT_TRUE(ack->SessionPresent);
  EXPECT_EQ(0, ack->ReasonCode);
  const auto refused = DecodeConnAck({TPacketType::ConnAck, 0, Bytes({0x00, 0x86})});
  ASSERT_TRUE(refused);
  EXPECT_EQ(0x86, refused->ReasonCode);
  EXPECT_FALSE(DecodeConnAck({TPacketType::ConnAck, 0, Bytes({0x00})}));
  const auto sub = DecodeSubAck({TPacketType::SubAck, 0, Bytes({0x00, 0x01, 0x00, 0x87})});
  ASSERT_TRUE(sub);
  EXPECT_EQ(1, sub->PacketId);
  EXPECT_EQ(0x87, sub->ReasonCode);
  EXPECT_FALSE(DecodeSubAck({TPacketType::SubAck, 0, Bytes({0x00, 0x01, 0x05})}));
}

}  // namespace
}  // namespace pzam::central
