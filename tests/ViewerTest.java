// The applet viewer's readers, run natively by CTest: java -cp DIR ViewerTest DIR, with the
// viewer and this file compiled into DIR.
import java.nio.charset.*;
import java.nio.file.*;
import java.util.Objects;

class ViewerTest {
    /** A long constant in this class's constant pool, which takes two entries there. */
    static final long WIDE = 1L << 40;

    static int failed;

    static void check(String what, Object got, Object expected) {
        if (!Objects.equals(String.valueOf(got), String.valueOf(expected))) {
            failed++;
            System.err.println(what + "\n  got:      " + got + "\n  expected: " + expected);
        }
    }

    public static void main(String[] args) {
        String[][] tags = {  // the file's text, the tags read
            {"<html><body>\n<applet code=\"HelloApplet.class\" width=\"300\" height=\"200\">"
                    + "</applet>\n</body></html>",
                "[{code=HelloApplet.class, width=300, height=200}]"},
            {"// <applet code=\"Hello\" width=\"200\" height=\"100\"></applet>\n"
                    + "class Hello extends java.applet.Applet { boolean b = 1 < 2; }",
                "[{code=Hello, width=200, height=100}]"},
            {"<applet code=Circle width=300\n height='200' name=c1 >",
                "[{code=Circle, width=300, height=200, name=c1}]"},
            {"<APPLET CODE=CircleApplet.class WIDTH=300 HEIGHT=200>\n"
                    + "<PARAM NAME=Radius VALUE=\"60\">\n<Param name=color value='red'></APPLET>",
                "[{code=CircleApplet.class, width=300, height=200, radius=60, color=red}]"},
            {"/*\n * <applet code=\"Circle\" width=300 height=200>\n * <param name=\"radius\" "
                    + "value=\"50\">\n * </applet>\n */",
                "[{code=Circle, width=300, height=200, radius=50}]"},
            {"<param name=x value=1><applet code=A codebase=\"../classes\" archive=\"a.jar, b.jar\">"
                    + "<param name=code value=B></applet><param name=y value=2><applet code=B>",
                "[{code=A, codebase=../classes, archive=a.jar, b.jar}, {code=B}]"},
            {"<p>1 < 2</p><appletviewer code=A><applets code=B>", "[]"},
        };
        for (String[] row : tags) {
            check("tags of " + row[0], PlumViewer.readTags(row[0]), row[1]);
        }

        String[][] roots = {  // the class file's folder, the class it declares, the root
            {"/p/app_b/HelloApplet", "app_b/HelloApplet/HelloApplet", "/p"},
            {"/p/App_B/helloapplet", "app_b/HelloApplet/HelloApplet", "/p"},
            {"/p/classes", "Hello", "/p/classes"},
            {"/p/other", "app_b/HelloApplet/HelloApplet", null},
            {"/HelloApplet", "app_b/HelloApplet/HelloApplet", null},
        };
        for (String[] row : roots) {
            check("root of " + row[1] + " in " + row[0],
                PlumViewer.packageRoot(Paths.get(row[0]), row[1]), row[2]);
        }

        Path classes = Paths.get(args[0]);
        check("declared name", PlumViewer.declaredName(classes.resolve("ViewerTest.class")),
            "ViewerTest");
        check("not a class file", PlumViewer.declaredName(classes.resolve("nothing.class")), null);

        String text = "<applet code=\u65e5\u672c>";  // a Japanese class name
        check("UTF-8 text", PlumViewer.decode(text.getBytes(StandardCharsets.UTF_8), null), text);
        check("the default charset's text",
            PlumViewer.decode(text.getBytes(Charset.defaultCharset()), null), text);
        System.out.println(failed == 0 ? "All passed" : failed + " failed");
        System.exit(failed == 0 ? 0 : 1);
    }
}
