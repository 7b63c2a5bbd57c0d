/*
 * The dock's applet viewer for JDK 11 to 25 (JDK 26 removed java.applet). The dock writes this
 * file into its data folder and runs it in source-file mode in the dropped file's folder:
 *   java -Dfile.encoding=MS932 plum_viewer.java [-encoding NAME] [other options] Hello.html
 * One window for each <applet> tag of the file (a page, or a source with the tag in a comment);
 * the program ends when the last one closes. What cannot run is one line on standard error and
 * exit code 1. Java 11 language; ASCII only, as source-file mode reads the file in the default
 * charset: the Japanese messages are escapes, each with its English meaning above it.
 */
import java.applet.*;
import java.awt.*;
import java.awt.event.*;
import java.io.*;
import java.net.*;
import java.nio.ByteBuffer;
import java.nio.charset.*;
import java.nio.file.*;
import java.util.*;
import java.util.List;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

// The applet API is deprecated for removal: without this, source-file mode would print its
// warnings before every run.
@SuppressWarnings({"removal", "deprecation"})
class PlumViewer {
    // Usage: java plum_viewer.java [-encoding NAME] FILE
    static final String USAGE = "\u4f7f\u3044\u65b9: java plum_viewer.java [-encoding \u6587\u5b57\u30b3\u30fc\u30c9] \u30d5\u30a1\u30a4\u30eb";
    // Cannot read FILE: REASON
    static final String CANNOT_READ = "%s \u3092\u8aad\u3081\u307e\u305b\u3093: %s";
    // FILE has no <applet> tag with a code attribute
    static final String NO_TAG = "%s \u306b code \u306e\u3042\u308b <applet> \u30bf\u30b0\u304c\u3042\u308a\u307e\u305b\u3093";
    // The applet class NAME cannot be loaded: REASON
    static final String NOT_FOUND = "\u30a2\u30d7\u30ec\u30c3\u30c8\u306e\u30af\u30e9\u30b9 %s \u3092\u8aad\u307f\u8fbc\u3081\u307e\u305b\u3093: %s";
    // NAME is not an applet (it does not extend java.applet.Applet)
    static final String NOT_APPLET = "%s \u306f\u30a2\u30d7\u30ec\u30c3\u30c8\u3067\u306f\u3042\u308a\u307e\u305b\u3093 (java.applet.Applet \u3092\u7d99\u627f\u3057\u3066\u3044\u307e\u305b\u3093)";
    // The applet NAME cannot be created: REASON
    static final String CANNOT_CREATE = "\u30a2\u30d7\u30ec\u30c3\u30c8 %s \u3092\u4f5c\u308c\u307e\u305b\u3093: %s";
    // The applet NAME threw an exception in STEP: REASON
    static final String THREW = "\u30a2\u30d7\u30ec\u30c3\u30c8 %s \u306e %s \u3067\u4f8b\u5916\u304c\u767a\u751f\u3057\u307e\u3057\u305f: %s";
    // The applets of FILE cannot run: REASON
    static final String CANNOT_RUN = "%s \u306e\u30a2\u30d7\u30ec\u30c3\u30c8\u3092\u5b9f\u884c\u3067\u304d\u307e\u305b\u3093: %s";
    // Applet started.
    static final String STARTED = "\u30a2\u30d7\u30ec\u30c3\u30c8\u3092\u958b\u59cb\u3057\u307e\u3057\u305f";

    /** A width or height that the tag does not give as a number of pixels. */
    static final int DEFAULT_SIZE = 100;

    /** The windows still open; the program ends when the last one closes. */
    static final AtomicInteger windows = new AtomicInteger();
    /** Whether an applet failed to stop, so that the exit code tells. */
    static volatile boolean failed;

    public static void main(String[] args) {
        try {
            run(args);
        } catch (Failure f) {
            System.err.println(f.getMessage());
            System.exit(1);
        } catch (Throwable t) {
            String file = args.length == 0 ? "" : args[args.length - 1];
            System.err.println(String.format(CANNOT_RUN, file, t));
            System.exit(1);
        }
    }

    static void run(String[] args) throws Exception {
        String encoding = null;
        String file = null;
        for (int i = 0; i < args.length; i++) {
            if (args[i].equals("-encoding") && i + 1 < args.length) {
                encoding = args[++i];
            } else if (!args[i].startsWith("-")) {
                file = args[i];
            }
        }
        if (file == null) {
            throw new Failure(USAGE);
        }
        Path page = Paths.get(file).toAbsolutePath();
        byte[] bytes;
        try {
            bytes = Files.readAllBytes(page);
        } catch (IOException e) {
            throw new Failure(CANNOT_READ, file, e);
        }
        List<Viewer> viewers = new ArrayList<>();
        for (Map<String, String> tag : readTags(decode(bytes, encoding))) {
            if (tag.containsKey("code")) {
                viewers.add(new Viewer(page, tag, viewers));
            }
        }
        if (viewers.isEmpty()) {
            throw new Failure(NO_TAG, file);
        }
        // Every class is loaded before any window opens; a failure from here on ends them all.
        windows.set(viewers.size());
        for (int i = 0; i < viewers.size(); i++) {
            viewers.get(i).open(i);
        }
    }

    /** The file's text: in the given encoding, else UTF-8 when it is valid UTF-8, else the
     *  default charset (the dock sets it to the system's ANSI code page). */
    static String decode(byte[] bytes, String encoding) {
        if (encoding != null) {
            return new String(bytes, Charset.forName(encoding));
        }
        try {
            return StandardCharsets.UTF_8.newDecoder().decode(ByteBuffer.wrap(bytes)).toString();
        } catch (CharacterCodingException e) {
            return new String(bytes, Charset.defaultCharset());
        }
    }

    /** An <applet>, </applet> or <param> tag (not <appletviewer>) and the text of its attributes,
     *  whose quoted values may hold a '>'. */
    static final Pattern TAG = Pattern.compile(
        "<(/?applet|param)(?![\\w-])((?:[^>\"']|\"[^\"]*\"|'[^']*')*)", Pattern.CASE_INSENSITIVE);
    /** One attribute: its name, then its value quoted with " or ' or not quoted, if it has one. */
    static final Pattern ATTRIBUTE = Pattern.compile(
        "([^\\s=]+)(?:\\s*=\\s*(\"[^\"]*\"|'[^']*'|\\S*))?");

    /**
     * Every <applet> tag of the text, in order, as its attributes and then its <param> tags'
     * names and values (a param named as an attribute is left out). Names are in lower case, as
     * getParameter looks them up. A tag counts wherever it is: in a page's markup or in a
     * source's comment.
     */
    static List<Map<String, String>> readTags(String text) {
        List<Map<String, String>> tags = new ArrayList<>();
        Map<String, String> applet = null;
        Matcher tag = TAG.matcher(text);
        while (tag.find()) {
            Map<String, String> attributes = new LinkedHashMap<>();
            Matcher attribute = ATTRIBUTE.matcher(tag.group(2));
            while (attribute.find()) {
                String value = attribute.group(2) == null ? "" : attribute.group(2);
                if (value.matches("(?s)([\"']).*\\1")) {
                    value = value.substring(1, value.length() - 1);
                }
                attributes.putIfAbsent(attribute.group(1).toLowerCase(Locale.ROOT), value);
            }
            String name = tag.group(1).toLowerCase(Locale.ROOT);
            if (name.equals("applet")) {
                applet = attributes;
                tags.add(applet);
            } else if (name.equals("/applet")) {
                applet = null;
            } else if (applet != null && attributes.containsKey("name")) {
                String key = attributes.get("name").toLowerCase(Locale.ROOT);
                applet.putIfAbsent(key, attributes.getOrDefault("value", ""));
            }
        }
        return tags;
    }

    /**
     * The folder that holds a class's package folders, for a class file in folder that declares
     * the class internalName ("app_b/HelloApplet/HelloApplet"): folder itself for a class
     * outside any package, the folder above the package's folders when folder ends in them (in
     * any case, as Windows compares names), else null.
     */
    static Path packageRoot(Path folder, String internalName) {
        String[] parts = internalName.split("/");
        Path root = folder;
        for (int i = parts.length - 2; i >= 0; i--) {
            Path last = root == null ? null : root.getFileName();
            if (last == null || !last.toString().equalsIgnoreCase(parts[i])) {
                return null;
            }
            root = root.getParent();
        }
        return root;
    }

    /** The size of each kind of constant pool entry after its kind (a class file's format);
     *  0 for a kind that does not exist. Kind 1, text, gives its size. */
    static final int[] ENTRY_SIZES = {0, 0, 0, 4, 4, 8, 8, 2, 2, 4, 4, 4, 4, 0, 0, 3, 2, 4, 4, 2,
        2};

    /** The class a class file declares (its this_class, "app_b/HelloApplet/HelloApplet"), or
     *  null when there is no class file there or it cannot be read as one. */
    static String declaredName(Path classFile) {
        if (!Files.isRegularFile(classFile)) {
            return null;
        }
        try (DataInputStream in =
                 new DataInputStream(new BufferedInputStream(Files.newInputStream(classFile)))) {
            if (in.readInt() != 0xCAFEBABE) {
                return null;
            }
            in.readInt();  // minor and major version
            int count = in.readUnsignedShort();
            String[] texts = new String[count];
            int[] classNames = new int[count];  // a class entry's index of its name
            for (int i = 1; i < count; i++) {
                int kind = in.readUnsignedByte();
                int size = kind < ENTRY_SIZES.length ? ENTRY_SIZES[kind] : 0;
                if (kind == 1) {
                    texts[i] = in.readUTF();
                } else if (kind == 7) {
                    classNames[i] = in.readUnsignedShort();
                } else if (size > 0) {
                    in.readFully(new byte[size]);
                    i += size == 8 ? 1 : 0;  // a long or a double takes two entries
                } else {
                    return null;
                }
            }
            in.readUnsignedShort();  // access flags
            int self = in.readUnsignedShort();
            return self < count && classNames[self] < count ? texts[classNames[self]] : null;
        } catch (IOException e) {
            return null;
        }
    }

    /** A width or height as the tag gives it, in pixels at 96 DPI. */
    static int size(String value) {
        String digits = value == null ? "" : value.trim();
        return digits.matches("[0-9]{1,4}") ? Integer.parseInt(digits) : DEFAULT_SIZE;
    }

    /** One applet of the page in its window: its stub and its view of the page. */
    static final class Viewer implements AppletStub, AppletContext {
        static final Map<String, InputStream> streams =
            Collections.synchronizedMap(new HashMap<>());

        final Map<String, String> tag;
        final List<Viewer> page;
        final URL document;
        final URL codeBase;
        final String name;
        final Applet applet;
        final Frame frame;
        final Label status = new Label();
        volatile boolean active;

        /** Loads the tag's class and creates the applet and its window, not yet shown. */
        Viewer(Path file, Map<String, String> tag, List<Viewer> page) throws Exception {
            this.tag = tag;
            this.page = page;
            document = file.toUri().toURL();
            Path base = file.getParent().resolve(tag.getOrDefault("codebase", ".")).normalize();
            String folderUri = base.toUri().toString();
            codeBase = new URL(folderUri.endsWith("/") ? folderUri : folderUri + "/");
            // A class in a package loads from the package's root by its full name, as the
            // launcher runs it: the page beside the class names only HelloApplet.class.
            String code = tag.get("code").trim().replaceFirst("(?i)\\.class$", "");
            code = code.replace('/', '.');
            Path classFile = base.resolve(code.replace('.', '/') + ".class");
            String declared = declaredName(classFile);
            Path root = base;
            Path packages = declared == null ? null : packageRoot(classFile.getParent(), declared);
            if (packages != null) {
                root = packages;
                code = declared.replace('/', '.');
            }
            List<URL> path = new ArrayList<>();
            path.add(root.toUri().toURL());
            for (String jar : tag.getOrDefault("archive", "").split(",")) {
                if (!jar.isBlank()) {
                    path.add(base.resolve(jar.trim()).toUri().toURL());
                }
            }
            // Only the JDK's classes and the applet's own: not the folder java runs in.
            ClassLoader loader =
                new URLClassLoader(path.toArray(new URL[0]), ClassLoader.getPlatformClassLoader());
            Class<?> type;
            try {
                type = Class.forName(code, false, loader);
            } catch (ClassNotFoundException | LinkageError e) {
                throw new Failure(NOT_FOUND, code, e);
            }
            if (!Applet.class.isAssignableFrom(type)) {
                throw new Failure(NOT_APPLET, code);
            }
            name = type.getSimpleName();
            try {
                applet = (Applet) type.getDeclaredConstructor().newInstance();
            } catch (ReflectiveOperationException | LinkageError e) {  // the constructor's own
                Throwable cause = e.getCause() == null ? e : e.getCause();
                throw new Failure(CANNOT_CREATE, name, thrown(cause));
            }
            int width = size(tag.get("width"));
            int height = size(tag.get("height"));
            applet.setSize(width, height);  // before the stub, which would be asked to resize
            applet.setPreferredSize(new Dimension(width, height));
            applet.setStub(this);
            frame = new Frame("Applet Viewer: " + name);
            frame.add(applet, BorderLayout.CENTER);
            frame.add(status, BorderLayout.SOUTH);
            frame.addWindowListener(new WindowAdapter() {
                @Override
                public void windowClosing(WindowEvent e) {
                    close();
                }
            });
        }

        /** init, the window shown (the n-th a little lower and to the right), then start. */
        void open(int n) throws Failure {
            step("init", applet::init);
            frame.pack();
            frame.setLocation(24 * n, 24 * n);
            frame.setVisible(true);
            active = true;
            step("start", applet::start);
            status.setText(STARTED);
        }

        /** The window's close box: stop, destroy, and the program's end with the last window.
         *  The applet's own threads do not keep it running. */
        void close() {
            active = false;
            try {
                applet.stop();
                applet.destroy();
            } catch (Throwable t) {
                System.err.println(String.format(THREW, name, "stop/destroy", thrown(t)));
                failed = true;
            }
            frame.dispose();
            if (windows.decrementAndGet() == 0) {
                System.exit(failed ? 1 : 0);
            }
        }

        void step(String method, Runnable call) throws Failure {
            try {
                call.run();
            } catch (Throwable t) {
                throw new Failure(THREW, name, method, thrown(t));
            }
        }

        @Override public boolean isActive() { return active; }
        @Override public URL getDocumentBase() { return document; }
        @Override public URL getCodeBase() { return codeBase; }
        @Override public String getParameter(String key) {
            return tag.get(key.toLowerCase(Locale.ROOT));
        }
        @Override public AppletContext getAppletContext() { return this; }

        @Override
        public void appletResize(int width, int height) {
            applet.setPreferredSize(new Dimension(width, height));
            frame.pack();
        }

        @Override public AudioClip getAudioClip(URL url) { return Applet.newAudioClip(url); }
        @Override public Image getImage(URL url) {
            return Toolkit.getDefaultToolkit().getImage(url);
        }

        @Override
        public Applet getApplet(String appletName) {
            for (Viewer v : page) {
                if (v.tag.getOrDefault("name", "").equalsIgnoreCase(appletName)) {
                    return v.applet;
                }
            }
            return null;
        }

        @Override
        public Enumeration<Applet> getApplets() {
            List<Applet> applets = new ArrayList<>();
            for (Viewer v : page) {
                applets.add(v.applet);
            }
            return Collections.enumeration(applets);
        }

        /** A learner's viewer opens no browser. */
        @Override public void showDocument(URL url) { }
        @Override public void showDocument(URL url, String target) { }
        @Override public void showStatus(String text) { status.setText(text); }
        @Override public void setStream(String key, InputStream in) { streams.put(key, in); }
        @Override public InputStream getStream(String key) { return streams.get(key); }

        @Override
        public Iterator<String> getStreamKeys() {
            return new ArrayList<>(streams.keySet()).iterator();
        }
    }

    /** An exception and where the applet's own code threw it (the first frame outside the JDK
     *  and this viewer). */
    static String thrown(Throwable t) {
        for (StackTraceElement e : t.getStackTrace()) {
            if (e.getModuleName() == null && !e.getClassName().startsWith("PlumViewer")) {
                return t + " (" + e + ")";
            }
        }
        return t.toString();
    }

    /** A failure the user is told of in one line. */
    static final class Failure extends Exception {
        Failure(String format, Object... values) {
            super(String.format(format, values));
        }
    }
}
