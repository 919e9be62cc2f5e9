package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;

import java.util.List;
import org.junit.jupiter.api.Test;

/** Module texts that are not modified UTF-8 become valid Java strings. */
class ModifiedUtf8Test extends ServiceTest {
    private static final String NAME = "text_71";
    private static final int ID = 71;

    private String answerFor(int id) throws Exception {
        return awaitEvents(e -> e.msgType() == 0 && e.ext1() == id && e.ext2() == ID, 1)
                .get(0).text();
    }

    @Test
    void invalid_bytes_become_replacement_characters_and_a_four_byte_emoji_stays_intact()
            throws Exception {
        setUpAnswerPaths(NAME, ID);
        assertEquals(0, command(ID, NAME, "say_invalid"));
        assertEquals("A\uFFFDZ", answerFor(1));
        assertEquals("smile \uD83D\uDE00!", answerFor(2));
        assertEquals("smile 😀!", answerFor(2));
        assertEquals("caf\u00e9 \uFFFD\uFFFD end", answerFor(3));
        assertEquals("cut \uFFFD\uFFFD", answerFor(4));
        assertEquals("nul \u0000 kept", answerFor(5));
    }

    @Test
    void texts_from_java_come_back_from_the_module_unchanged() throws Exception {
        setUpAnswerPaths(NAME, ID);
        List<String> texts = List.of("plain ascii",
                "caf\u00e9 \u00fcber \u2713", "emoji 😀 and 🎵",
                "nul \u0000 inside");
        int id = 1;
        for (String text : texts) {
            assertEquals(0, command(ID, NAME, "say " + id + " " + text));
            assertEquals(text, answerFor(id));
            id++;
        }
    }
}
