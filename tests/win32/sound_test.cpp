// The sound backend on a real waveOut device. Under Wine the default ALSA device is a file sink (its
// folder in DIDA_ALSA_SINK_DIR), one file per rate / channels / format, rewritten each time a device
// of that format opens: what was played is read back from there. The sink eats audio faster than real
// time, so the checks look at what arrived, never at how long it took.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_sound.h"
#include "pump.h"

namespace dida::win32 {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

std::string Env(const char* name) {
    char buf[1024];
    const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

// A Unix folder as Wine's Z: drive sees it.
std::string DosPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string ExeDir() {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::string path = Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(buf), n));
    return path.substr(0, path.rfind('\\'));
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void Le(Bytes& b, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

Bytes Wav(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits, const Bytes& samples) {
    Bytes b;
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    tag("RIFF");
    Le(b, std::uint32_t(36 + samples.size()), 4);
    tag("WAVE");
    tag("fmt ");
    Le(b, 16, 4);
    Le(b, 1, 2);
    Le(b, channels, 2);
    Le(b, rate, 4);
    Le(b, rate * channels * bits / 8, 4);
    Le(b, channels * bits / 8, 2);
    Le(b, bits, 2);
    tag("data");
    Le(b, std::uint32_t(samples.size()), 4);
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}

// Samples nobody would mistake for silence or for another test's.
Bytes Pattern(std::size_t n, std::uint32_t state) {
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i) {
        state = state * 1103515245u + 12345u;
        s[i] = std::uint8_t(state >> 16);
    }
    return s;
}

struct Sound : ::testing::Test {
    std::string sink;
    Win32Sound sound;

    void SetUp() override {
        const std::string dir = Env("DIDA_ALSA_SINK_DIR");
        if (dir.empty()) {
            // The README's test command runs these on the bench, which always names its sink (and says so in
            // DIDA_REQUIRE_SINK): there a skip would pass without a sound checked.
            if (Env("DIDA_REQUIRE_SINK") == "1") FAIL() << "DIDA_ALSA_SINK_DIR names no ALSA file sink to read back";
            GTEST_SKIP() << "DIDA_ALSA_SINK_DIR names no ALSA file sink to read back";
        }
        sink = DosPath(dir);
    }
    void TearDown() override {
        sound.StopAudio();
        WaitUntil([&] { return sound.ActiveWavStreams() == 0 && !sound.Mp3Playing(); });
    }

    std::string SinkFile(int rate, int channels, const char* format) const {
        return sink + "\\alsa_" + std::to_string(rate) + "_" + std::to_string(channels) + "_" + format + ".raw";
    }
    // A sink file left by an earlier test must not pass for this one's output.
    void Forget(const std::string& file) const { DeleteFileA(file.c_str()); }
    static std::size_t SizeOf(const std::string& file) {
        WIN32_FILE_ATTRIBUTE_DATA d;
        if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &d)) return 0;
        return d.nFileSizeLow;
    }
    // Waits until the file has stopped growing for a while and returns its size.
    static std::size_t SettledSize(const std::string& file) {
        std::size_t last = SizeOf(file);
        for (int quiet = 0; quiet < 30;) {
            std::this_thread::sleep_for(10ms);
            const std::size_t now = SizeOf(file);
            quiet = now == last ? quiet + 1 : 0;
            last = now;
        }
        return last;
    }
    static std::string Media(const char* name) { return ExeDir() + "\\sound_media\\" + name; }
};

// How many bytes of 16-bit samples are sound: those outside runs of silence of more than a millisecond and a half
// at 44.1 kHz stereo. A device that runs dry between two buffers, as on a loaded machine, plays silence meanwhile,
// and a device closes with up to a period of it: neither is a pass of the music.
std::size_t AudibleBytes(const Bytes& pcm) {
    constexpr std::size_t kLongSilence = 256;
    std::size_t audible = 0, run = 0;
    for (std::uint8_t b : pcm) {
        if (b != 0) {
            audible += 1 + (run < kLongSilence ? run : 0);
            run = 0;
        } else {
            ++run;
        }
    }
    return audible + (run < kLongSilence ? run : 0);
}

// The sink may close a device with up to one period of silence; a period is far below a tenth of a
// second of audio.
void ExpectPlayedOnce(const Bytes& sinkBytes, const Bytes& samples, std::uint8_t silence, std::size_t bytesPerSecond) {
    ASSERT_GE(sinkBytes.size(), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), sinkBytes.begin())) << "the samples arrive unchanged";
    const std::size_t tail = sinkBytes.size() - samples.size();
    EXPECT_LE(tail, bytesPerSecond / 10);
    EXPECT_TRUE(std::all_of(sinkBytes.begin() + std::ptrdiff_t(samples.size()), sinkBytes.end(), [&](std::uint8_t b) {
        return b == silence;
    })) << "nothing but silence after the samples";
}

TEST_F(Sound, AWavPlayedOnceDeliversExactlyItsSamplesAndEnds) {
    struct Row {
        const char* what;
        std::uint32_t rate;
        std::uint16_t channels, bits;
        const char* format;
        std::size_t bytes;
        std::uint8_t silence;
    };
    // Sizes off the buffer size, below one buffer and over several, to catch a lost or doubled tail.
    const Row rows[] = {
        {"8-bit mono, like the chimes", 11025, 1, 8, "U8", 40000, 0x80},
        {"16-bit stereo, several buffers", 32000, 2, 16, "S16_LE", 15360 * 3 + 100, 0},
        {"shorter than one buffer", 12000, 1, 8, "U8", 999, 0x80},
    };
    for (const Row& r : rows) {
        const std::string file = SinkFile(int(r.rate), r.channels, r.format);
        Forget(file);
        const Bytes samples = Pattern(r.bytes, r.rate);
        ASSERT_TRUE(sound.PlayAudio(Wav(r.rate, r.channels, r.bits, samples), false)) << r.what;
        EXPECT_TRUE(WaitUntil([&] { return sound.ActiveWavStreams() == 0; })) << r.what << ": the stream ends";
        ExpectPlayedOnce(ReadAll(file), samples, r.silence, r.rate * r.channels * r.bits / 8);
    }
}

TEST_F(Sound, ALoopingWavRepeatsUntilStopped) {
    const std::string file = SinkFile(8000, 1, "U8");
    Forget(file);
    const Bytes samples = Pattern(3000, 7);
    ASSERT_TRUE(sound.PlayAudio(Wav(8000, 1, 8, samples), true));
    ASSERT_TRUE(WaitUntil([&] { return SizeOf(file) > samples.size() * 4; }));
    EXPECT_EQ(sound.ActiveWavStreams(), 1u);
    sound.StopAudio();
    ASSERT_TRUE(WaitUntil([&] { return sound.ActiveWavStreams() == 0; })) << "a stopped stream leaves the list";
    const std::size_t size = SettledSize(file);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(SizeOf(file), size) << "nothing plays after the stop";
    // A pass restarts once every buffer is back, so the device may run dry in between: passes are the
    // whole sound each time, apart by at most a tenth of a second of silence.
    const Bytes played = ReadAll(file);
    std::size_t pos = 0;
    for (int pass = 0; pass < 4; ++pass) {
        std::size_t gap = 0;
        while (pos + gap + samples.size() <= played.size() && gap <= 800 &&
               !std::equal(samples.begin(), samples.end(), played.begin() + std::ptrdiff_t(pos + gap)))
            ++gap;
        ASSERT_LE(gap, 800u) << "pass " << pass << " is the whole sound again";
        ASSERT_TRUE(std::all_of(played.begin() + std::ptrdiff_t(pos), played.begin() + std::ptrdiff_t(pos + gap),
                                [](std::uint8_t b) { return b == 0x80; }))
            << "only silence between passes";
        pos += gap + samples.size();
    }
}

TEST_F(Sound, TwoStreamsPlayTogether) {
    const std::string a = SinkFile(16000, 1, "U8"), b = SinkFile(22050, 2, "S16_LE");
    Forget(a);
    Forget(b);
    ASSERT_TRUE(sound.PlayAudio(Wav(16000, 1, 8, Pattern(5000, 1)), true));
    ASSERT_TRUE(sound.PlayAudio(Wav(22050, 2, 16, Pattern(8000, 2)), true));
    EXPECT_EQ(sound.ActiveWavStreams(), 2u);
    // Both keep growing at the same time: neither waits for the other to end.
    EXPECT_TRUE(WaitUntil([&] { return SizeOf(a) > 20000 && SizeOf(b) > 32000; }));
    EXPECT_EQ(sound.ActiveWavStreams(), 2u);
    sound.StopAudio();
    EXPECT_TRUE(WaitUntil([&] { return sound.ActiveWavStreams() == 0; }));
}

TEST_F(Sound, NothingPlayableGivesFalseAndSilence) {
    const std::string dir = ExeDir();
    const std::string text = dir + "\\sound_test_text.txt", empty = dir + "\\sound_test_empty.wav";
    WriteAll(text, Bytes{'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'u', 'n', 'd'});
    WriteAll(empty, {});
    struct Row {
        const char* what;
        std::string name;
    };
    const Row rows[] = {
        {"text file", text},
        {"empty file", empty},
        {"missing file", dir + "\\no such sound.wav"},
        {"empty name", ""},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(sound.PlayAudioFile(r.name, false)) << r.what;
        EXPECT_FALSE(sound.PlayAudioFile(r.name, true)) << r.what;
    }
    const Bytes noData = Wav(8000, 1, 8, {});
    EXPECT_FALSE(sound.PlayAudio(noData, false)) << "a WAV without samples";
    EXPECT_EQ(sound.ActiveWavStreams(), 0u);
    DeleteFileA(text.c_str());
    DeleteFileA(empty.c_str());
}

TEST_F(Sound, AWavFileWithAChineseNameIsRead) {
    const std::string name = ExeDir() + "\\布谷鸟测试.wav";
    const std::u16string wide = Utf8ToUtf16(name);
    const Bytes samples = Pattern(4000, 99);
    const Bytes wav = Wav(24000, 1, 8, samples);
    HANDLE f = CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    WriteFile(f, wav.data(), DWORD(wav.size()), &n, nullptr);
    CloseHandle(f);
    const std::string file = SinkFile(24000, 1, "U8");
    Forget(file);
    ASSERT_TRUE(sound.PlayAudioFile(name, false));
    EXPECT_TRUE(WaitUntil([&] { return sound.ActiveWavStreams() == 0; }));
    ExpectPlayedOnce(ReadAll(file), samples, 0x80, 24000);
    DeleteFileW(reinterpret_cast<const wchar_t*>(wide.c_str()));
}

TEST_F(Sound, StopWithNothingPlayingChangesNothing) {
    sound.StopAudio();
    sound.StopAudio();
    EXPECT_EQ(sound.ActiveWavStreams(), 0u);
    EXPECT_FALSE(sound.Mp3Playing());
    EXPECT_FALSE(sound.MidiPlaying());
}

// ---- MP3: files encoded at build time next to this executable

TEST_F(Sound, Mp3FilesDecodeAndPlayTheirPassesInOrder) {
    const std::string stereo = Media("tone44.mp3"), mono = Media("tone22.mp3");
    ASSERT_FALSE(ReadAll(stereo).empty()) << stereo << " is made by the build (sox and lame)";
    const std::string out44 = SinkFile(44100, 2, "S16_LE"), out22 = SinkFile(22050, 1, "S16_LE");

    Forget(out44);
    sound.PlayMp3(1, {stereo});
    ASSERT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); })) << "one pass ends by itself";
    const std::size_t once = SettledSize(out44);
    // Half a second of stereo 16-bit audio, give or take the encoder's padding frames.
    EXPECT_GE(once, 44100u * 4 / 2);
    EXPECT_LE(once, 44100u * 4);
    const Bytes pcm = ReadAll(out44);
    EXPECT_TRUE(std::any_of(pcm.begin(), pcm.end(), [](std::uint8_t b) { return b != 0; })) << "a tone, not silence";

    Forget(out44);
    sound.PlayMp3(3, {stereo});
    ASSERT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }));
    SettledSize(out44);
    // Each pass is the file's sound again, give or take a quiet moment of it that silence inserted by a device
    // run dry joins into a long run.
    EXPECT_NEAR(double(AudibleBytes(ReadAll(out44))), 3.0 * AudibleBytes(pcm), 1024.0)
        << "three whole passes on one device";

    Forget(out22);
    sound.PlayMp3(1, {"", mono, ""});
    ASSERT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }));
    EXPECT_GT(SettledSize(out22), 22050u * 2 / 4) << "MPEG-2 mono decodes, empty names are skipped";
}

TEST_F(Sound, Mp3WithoutEndRepeatsUntilTimesZero) {
    const std::string stereo = Media("tone44.mp3");
    ASSERT_FALSE(ReadAll(stereo).empty());
    const std::string out44 = SinkFile(44100, 2, "S16_LE");
    Forget(out44);
    sound.PlayMp3(1, {stereo});
    ASSERT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }));
    const std::size_t once = SettledSize(out44);
    ASSERT_GT(once, 0u);

    Forget(out44);
    sound.PlayMp3(-1, {stereo});
    EXPECT_TRUE(WaitUntil([&] { return SizeOf(out44) > once * 4; })) << "the file repeats";
    EXPECT_TRUE(sound.Mp3Playing());
    sound.PlayMp3(0, {stereo});
    EXPECT_FALSE(sound.Mp3Playing()) << "times 0 removes the player at once";
    const std::size_t size = SettledSize(out44);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(SizeOf(out44), size) << "and the sound has stopped";
}

TEST_F(Sound, UndecodableMp3sAreSilentAndTheListGoesOn) {
    const std::string stereo = Media("tone44.mp3");
    const Bytes good = ReadAll(stereo);
    ASSERT_FALSE(good.empty());
    const std::string dir = ExeDir();
    const std::string text = dir + "\\sound_test_not.mp3", cut = dir + "\\sound_test_cut.mp3";
    WriteAll(text, Bytes(3000, 'x'));
    // The first half of a real file, then junk: it plays what it has, then the next file follows.
    Bytes half(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2));
    half.insert(half.end(), 5000, 0x00);
    WriteAll(cut, half);
    const std::string out44 = SinkFile(44100, 2, "S16_LE");

    Forget(out44);
    sound.PlayMp3(-1, {text, dir + "\\missing.mp3"});
    EXPECT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }, 5s))
        << "a list of which nothing decodes ends instead of spinning";
    EXPECT_EQ(SizeOf(out44), 0u);

    sound.PlayMp3(1, {stereo});
    ASSERT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }));
    const std::size_t whole = SettledSize(out44);
    Forget(out44);
    sound.PlayMp3(1, {text, cut, stereo});
    ASSERT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }));
    const std::size_t played = SettledSize(out44);
    EXPECT_GT(played, whole + whole / 4) << "the cut file's first half, then the whole file";
    EXPECT_LT(played, whole * 2);
    DeleteFileA(text.c_str());
    DeleteFileA(cut.c_str());
}

TEST_F(Sound, Mp3sThatCannotSoundAreRefusedAtOnceAndAGoodOnePlays) {
    const Bytes good = ReadAll(Media("tone44.mp3"));
    ASSERT_FALSE(good.empty());
    const std::string dir = ExeDir() + "\\sound_test_album";
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string inside = dir + "\\good.mp3", empty = dir + "\\empty.mp3", wave = dir + "\\wave.mp3",
                      noise = dir + "\\noise.mp3";
    WriteAll(inside, good);
    WriteAll(empty, {});
    WriteAll(wave, Wav(22050, 1, 8, Pattern(30000, 3)));
    WriteAll(noise, Pattern(64 * 1024, 4));
    struct Row {
        const char* what;
        std::string path;
    };
    const Row rows[] = {
        {"a directory", dir},     {"a wildcard matching a good file", dir + "\\*.mp3"},
        {"an empty file", empty}, {"a WAV renamed", wave},
        {"random bytes", noise},  {"a missing file", dir + "\\missing.mp3"},
    };
    const std::string out44 = SinkFile(44100, 2, "S16_LE");
    Forget(out44);
    for (const Row& r : rows) {
        EXPECT_EQ(FileExists(r.path), std::string(r.what) != "a missing file") << r.what;
        EXPECT_FALSE(sound.PlayMp3(-1, {r.path}, Wav(8000, 1, 8, Pattern(800, 5)))) << r.what;
        EXPECT_FALSE(sound.Mp3Playing()) << r.what << ": no player, so not even the fallback";
    }
    EXPECT_FALSE(sound.PlayMp3(1, {empty, "", noise})) << "a list of which nothing can sound";
    EXPECT_FALSE(sound.PlayMp3(0, {inside})) << "times 0 plays nothing";
    EXPECT_FALSE(sound.PlayMp3(1, {}));
    EXPECT_EQ(SizeOf(out44), 0u) << "no player was made, so nothing reached the device";

    ASSERT_TRUE(sound.PlayMp3(1, {empty, inside})) << "one file of the list that sounds is enough";
    ASSERT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }));
    EXPECT_GE(SettledSize(out44), 44100u * 4 / 2) << "the good file's half second";
    for (const std::string& f : {inside, empty, wave, noise}) DeleteFileA(f.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST_F(Sound, Mp3ThatStopsSoundingGivesWayToItsFallbackUntilStopped) {
    const Bytes good = ReadAll(Media("tone44.mp3"));
    ASSERT_FALSE(good.empty());
    const std::string going = ExeDir() + "\\sound_test_going.mp3";
    WriteAll(going, good);
    const Bytes chime = Pattern(6000, 77);
    const std::string out44 = SinkFile(44100, 2, "S16_LE"), outChime = SinkFile(16000, 1, "U8");
    Forget(out44);
    Forget(outChime);
    ASSERT_TRUE(sound.PlayMp3(-1, {going}, Wav(16000, 1, 8, chime)));
    ASSERT_TRUE(WaitUntil([&] { return SizeOf(out44) > 0; })) << "the music plays first";
    EXPECT_EQ(SizeOf(outChime), 0u);
    // Removed while it plays: the next pass finds nothing, and the fallback takes over.
    ASSERT_TRUE(DeleteFileA(going.c_str()));
    ASSERT_TRUE(WaitUntil([&] { return SizeOf(outChime) > chime.size() * 3; })) << "the fallback loops";
    EXPECT_TRUE(sound.Mp3Playing()) << "the player rings it";
    const Bytes start = ReadAll(outChime);
    ASSERT_GE(start.size(), chime.size());
    EXPECT_TRUE(std::equal(chime.begin(), chime.end(), start.begin())) << "the fallback's samples, unchanged";
    sound.StopAudio();
    EXPECT_FALSE(sound.Mp3Playing());
    const std::size_t stopped = SettledSize(outChime);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(SizeOf(outChime), stopped) << "and stops with the player";

    // Without a fallback the player just ends.
    WriteAll(going, good);
    ASSERT_TRUE(sound.PlayMp3(-1, {going}));
    ASSERT_TRUE(WaitUntil([&] { return SizeOf(out44) > 0; }));
    ASSERT_TRUE(DeleteFileA(going.c_str()));
    EXPECT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }));
}

// ---- a library that cannot be loaded: the sound is not heard, nothing hangs, and it plays once it is back

TEST_F(Sound, WithoutTheDecoderOrTheSoundLibraryNothingPlaysAndNothingHangs) {
    const std::string stereo = Media("tone44.mp3");
    ASSERT_FALSE(ReadAll(stereo).empty());
    const std::string out44 = SinkFile(44100, 2, "S16_LE"), out8 = SinkFile(8000, 1, "U8");
    const Bytes wav = Wav(8000, 1, 8, Pattern(4000, 11));
    for (const wchar_t* library : {L"msacm32.dll", L"winmm.dll"}) {
        SimulateMissingLibrary(library, true);
        Forget(out44);
        sound.PlayMp3(-1, {stereo, stereo});
        EXPECT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }, 5s)) << "an endless list that never decodes ends";
        EXPECT_EQ(SizeOf(out44), 0u);
        Forget(out8);
        const bool wavPlayed = sound.PlayAudio(wav, false);
        SimulateMissingLibrary(library, false);
        if (std::wstring(library) == L"winmm.dll") {
            EXPECT_FALSE(wavPlayed) << "without the sound library a WAV reports it was not played";
            EXPECT_EQ(SizeOf(out8), 0u);
        } else {
            EXPECT_TRUE(wavPlayed) << "a WAV needs no decoder";
        }
        WaitUntil([&] { return sound.ActiveWavStreams() == 0; });
    }
    sound.PlayMp3(1, {stereo});
    ASSERT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }));
    EXPECT_GT(SettledSize(out44), 44100u * 4 / 4) << "with both libraries back the file plays";
}

// ---- MIDI: there may be no synthesizer, but the player must never hang or refuse a damaged image.

TEST_F(Sound, MidiImagesNeverBlock) {
    Bytes midi = {'M', 'T', 'h', 'd', 0,  0, 0,    6,    0,    0,    0,    1,    0,    96,   'M',  'T',  'r',
                  'k', 0,   0,   0,   12, 0, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    const Bytes damaged = {'M', 'T', 'h', 'd', 0, 0, 0, 9, 1, 2, 3};
    EXPECT_TRUE(sound.PlayAudio(damaged, false)) << "a damaged MIDI image counts as played";
    EXPECT_FALSE(sound.MidiPlaying()) << "and stays silent";
    const auto start = std::chrono::steady_clock::now();
    sound.PlayAudio(midi, true);
    sound.PlayAudio(midi, false);
    sound.StopAudio();
    EXPECT_FALSE(sound.MidiPlaying());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

// ---- no sound device at all: ALSA is read once per process, so this runs in a child process whose
// ALSA configuration defines no device.

TEST(SoundWithoutDevice, DISABLED_Child) {
    const std::string mp3 = ExeDir() + "\\sound_media\\tone44.mp3";
    Win32Sound sound;
    const Bytes wav = Wav(8000, 1, 8, Pattern(20000, 5));
    EXPECT_FALSE(sound.PlayAudio(wav, false));
    EXPECT_FALSE(sound.PlayAudio(wav, true));
    EXPECT_EQ(sound.ActiveWavStreams(), 0u);
    EXPECT_FALSE(sound.PlayMp3(-1, {mp3})) << "refused at once, so that the caller can try again";
    EXPECT_TRUE(WaitUntil([&] { return !sound.Mp3Playing(); }, 5s)) << "an MP3 without a device ends";
    sound.StopAudio();
    const std::string verdict = ::testing::Test::HasFailure() ? "failed" : "ok";
    WriteAll(Env("DIDA_SOUND_CHILD_DONE"), Bytes(verdict.begin(), verdict.end()));
}

TEST(SoundWithoutDevice, PlayingFailsAtOnceAndNothingHangs) {
    using WineUnixName = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<WineUnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) GTEST_SKIP() << "only Wine lets a test take the sound device away";
    const std::string dir = ExeDir();
    const std::string conf = dir + "\\sound_test_nodevice.conf", done = dir + "\\sound_test_child.done";
    WriteAll(conf, Bytes{'#', '\n'});  // an ALSA configuration that defines no device at all
    DeleteFileA(done.c_str());
    const std::u16string wideConf = Utf8ToUtf16(conf);
    char* unixConf = toUnix(reinterpret_cast<const wchar_t*>(wideConf.c_str()));
    ASSERT_NE(unixConf, nullptr);
    const std::string alsaPath = unixConf;
    HeapFree(GetProcessHeap(), 0, unixConf);

    // A Windows child would inherit this process's Unix environment, where ALSA reads its settings, so
    // the child is a new Wine started from Unix with the changed variable.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::u16string wideAlsa = Utf8ToUtf16(alsaPath), wideDone = Utf8ToUtf16(done);
    std::wstring cmd =
        L"Z:\\usr\\bin\\env ALSA_CONFIG_PATH=\"" + std::wstring(reinterpret_cast<const wchar_t*>(wideAlsa.c_str())) +
        L"\" DIDA_SOUND_CHILD_DONE=\"" + std::wstring(reinterpret_cast<const wchar_t*>(wideDone.c_str())) +
        L"\" wine \"" + std::wstring(self) +
        L"\" --gtest_also_run_disabled_tests --gtest_filter=SoundWithoutDevice.DISABLED_Child";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    ASSERT_TRUE(started);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // Wine cannot wait on a process started from Unix; the child reports through its file instead.
    const bool reported = WaitUntil([&] { return !ReadAll(done).empty(); }, 60s);
    EXPECT_TRUE(reported) << "the child hung or never ran";
    if (reported) {
        std::this_thread::sleep_for(50ms);  // the report may still be being written
        const Bytes report = ReadAll(done);
        EXPECT_EQ(std::string(report.begin(), report.end()), "ok") << "the child's checks failed";
    }
    DeleteFileA(conf.c_str());
    DeleteFileA(done.c_str());
}

}  // namespace
}  // namespace dida::win32
