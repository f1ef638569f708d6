// What pipeline-test.sh asks of a generated pipeline, read with a YAML
// parser (js-yaml, which gitlab-ci-local brings) and against the plan's own
// graph as "Quorvane.com graph" prints it. Prints "ok ..." or "FAIL ..." per
// check; exits 1 when one failed.
//
//   node check-pipeline.cjs pick <gitlab file> <graph.dot> <failing project>
//   node check-pipeline.cjs gitlab <gitlab file> <graph.dot> <builds folder> <gitlab-ci-local output>
//        <trace file> <collect plan file> <failing project> <project with an unknown link> <its library>
//   node check-pipeline.cjs github <github file> <gitlab file> <graph.dot>
"use strict";
const fs = require("fs");
const path = require("path");
const tools = process.env.QV_CI_TOOLS;
const yaml = require(require.resolve("js-yaml", { paths: [path.join(tools, "node_modules", "gitlab-ci-local")] }));

let failures = 0;
function check(what, ok, detail) {
    console.log(`${ok ? "ok  " : "FAIL"}  ${what}${!ok && detail ? `: ${detail}` : ""}`);
    if (!ok) failures++;
}

// The plan's graph: project -> the projects it needs (named, declared, learned).
function readGraph(file) {
    const text = fs.readFileSync(file, "utf8");
    const names = {};
    for (const m of text.matchAll(/^\s*(r\d+) \[label="([^"\\]+)\\n/gm)) names[m[1]] = m[2];
    const needs = {};
    for (const n of Object.values(names)) needs[n] = new Set();
    for (const m of text.matchAll(/^\s*(r\d+) -> (r\d+)/gm)) needs[names[m[1]]].add(names[m[2]]);
    return needs;
}

// Jobs of a GitLab file: name -> {rows, needs, artifacts}.
function gitlabJobs(file) {
    const doc = yaml.load(fs.readFileSync(file, "utf8"));
    const jobs = {};
    for (const [name, job] of Object.entries(doc)) {
        if (!job || typeof job !== "object" || !job.script || job.stage !== "build") continue;
        const build = job.script.find(l => / build /.test(l));
        const only = /--only '([^']*)'|--only (\S+)/.exec(build);
        jobs[name] = {
            rows: (only[1] ?? only[2]).split(","),
            needs: job.needs ?? [],
            artifacts: job.artifacts.paths,
        };
    }
    return { doc, jobs };
}

// Every job a job needs, directly or through others.
function upstream(jobs, name, seen = new Set()) {
    for (const n of jobs[name].needs) if (!seen.has(n)) { seen.add(n); upstream(jobs, n, seen); }
    return seen;
}

function jobOf(jobs, project) {
    return Object.keys(jobs).find(j => jobs[j].rows.includes(project));
}

function pick([gitlabFile, graphFile, failing]) {
    const { jobs } = gitlabJobs(gitlabFile);
    const failingJob = jobOf(jobs, failing);
    for (const a of Object.keys(jobs)) {
        if (a === failingJob || upstream(jobs, a).has(failingJob)) continue;
        for (const b of Object.keys(jobs)) {
            if (a === b || upstream(jobs, a).has(b) || upstream(jobs, b).has(a)) continue;
            const lib = jobs[b].artifacts.find(p => /\.lib$/i.test(p));
            const producer = lib && jobs[b].rows.find(r => lib.toLowerCase().endsWith(`/${r.toLowerCase()}.lib`));
            const user = jobs[a].rows[jobs[a].rows.length - 1];
            if (producer) {
                console.log(`${user} ${producer} ${path.basename(lib)}`);
                return;
            }
        }
    }
    console.log("none");
}

function readTrace(file) {
    const spans = {};
    if (!fs.existsSync(file)) return spans;
    for (const line of fs.readFileSync(file, "utf8").split(/\r?\n/)) {
        const f = line.split("\t");
        // A project a run only found up to date on its way was not built.
        if (f.length < 4 || f[5] === "up-to-date") continue;
        const name = path.win32.basename(f[0]).replace(/\.[^.]*$/, "");
        (spans[name] ??= []).push({ start: BigInt(f[2]), end: BigInt(f[3]) });
    }
    return spans;
}

function filesUnder(folder) {
    if (!fs.existsSync(folder)) return [];
    return fs.readdirSync(folder, { recursive: true }).filter(f => fs.statSync(path.join(folder, f)).isFile());
}

function gitlab([gitlabFile, graphFile, builds, outputFile, traceFile, collectPlan, failing, unknownUser, unknownLib]) {
    const { jobs } = gitlabJobs(gitlabFile);
    const graph = readGraph(graphFile);
    const output = fs.readFileSync(outputFile, "utf8");
    const status = {};
    for (const m of output.matchAll(/^\s*(PASS|FAIL)\s+(\S+)/gm)) status[m[2]] = m[1];
    const failingJob = jobOf(jobs, failing);
    const unknownJob = jobOf(jobs, unknownUser);
    const failed = new Set([failingJob, unknownJob]);

    // Who ran: the jobs behind a failed one did not, every other one did.
    for (const name of Object.keys(jobs)) {
        const behind = [...upstream(jobs, name)].some(n => failed.has(n));
        const expected = failed.has(name) ? "FAIL" : behind ? undefined : "PASS";
        check(`job ${name} (${jobs[name].rows.join(", ")}) ${expected ?? "does not run"}`, status[name] === expected,
              `it ${status[name] ?? "did not run"}`);
    }
    check("the collect job ran and passed", status["quorvane-collect"] === "PASS", status["quorvane-collect"]);

    // The order holds across jobs: each build began after the builds of what it needs ended.
    const spans = readTrace(traceFile);
    let orderChecks = 0;
    for (const [user, needs] of Object.entries(graph)) {
        for (const need of needs) {
            if (!spans[user] || !spans[need]) continue;
            const lastNeed = spans[need].reduce((a, s) => (s.end > a ? s.end : a), 0n);
            const lastUser = spans[user][spans[user].length - 1];
            check(`${user} built after ${need}`, lastUser.start >= lastNeed);
            orderChecks++;
        }
    }
    check("the order was checked on builds of several jobs", orderChecks >= 3, `${orderChecks} pairs`);
    // No job's builder run builds a project of another job: it finds those
    // in the artifacts, not in its own intermediate files.
    const strays = [];
    if (fs.existsSync(traceFile))
        for (const line of fs.readFileSync(traceFile, "utf8").split(/\r?\n/)) {
            const f = line.split("\t");
            if (f.length < 7 || f[5] === "up-to-date") continue;
            const stem = p => path.win32.basename(p).replace(/\.[^.]*$/, "");
            const built = jobOf(jobs, stem(f[0])), asked = jobOf(jobs, stem(f[6]));
            if (built && asked && built !== asked) strays.push(`${stem(f[6])} built ${stem(f[0])}`);
        }
    check("no job's run built another job's project", strays.length === 0, strays.join(", "));
    for (const name of Object.keys(jobs)) {
        const userOfFailed = jobs[name].rows.some(r => [...(graph[r] ?? [])].includes(failing));
        if (userOfFailed) check(`${name} built nothing (it needs ${failing})`, jobs[name].rows.every(r => !spans[r]));
    }

    // Libraries arrive through artifacts only: a job's folder holds the
    // outputs of its own rows and of the jobs it needs, nothing else.
    for (const name of Object.keys(jobs)) {
        const folder = path.join(builds, name);
        if (!fs.existsSync(folder)) continue;
        const allowed = new Set();
        for (const j of [name, ...upstream(jobs, name)]) for (const a of jobs[j].artifacts) allowed.add(a.toLowerCase());
        const outputs = [...filesUnder(path.join(folder, "lib")).map(f => `lib/${f}`),
                         ...filesUnder(path.join(folder, "bin")).map(f => `bin/${f}`)];
        const stray = outputs.filter(f => !allowed.has(f.replace(/\\/g, "/").toLowerCase()));
        check(`${name} has only its needs' outputs and its own`, stray.length === 0, stray.join(", "));
        for (const j of upstream(jobs, name))
            for (const a of jobs[j].artifacts.filter(a => /\.lib$/i.test(a)))
                if (status[j] === "PASS") check(`${name} got ${a} from ${j}`, fs.existsSync(path.join(folder, a)));
    }

    // The failed link names the library and the project that builds it.
    const unknownLog = fs.readFileSync(path.join(path.dirname(builds), "output", `${unknownJob}.log`), "utf8");
    check(`${unknownUser}'s job names ${unknownLib} and who builds it`,
          unknownLog.includes(`缺少库 ${unknownLib}：它由工程 ${unknownLib.replace(/\.lib$/i, "")}`), unknownLog.slice(-400));

    // The last job: one plan file holding what the agents learned, JUnit of every job that ran.
    const plan = fs.readFileSync(collectPlan, "utf8");
    const learned = [...plan.matchAll(/<依赖 路径="([^"]+)" 编译方式="[^"]+" 库="([^"]+)"/g)];
    check(`the collected plan file learned ${unknownUser} -> ${unknownLib}`,
          learned.some(m => /\.(vcproj|icproj)$/i.test(m[1]) && path.win32.basename(m[1]).startsWith(`${unknownUser}.`) && m[2] === unknownLib),
          learned.map(m => m[0]).join(" "));
    check("... and kept the earlier learned links", learned.length >= 2, `${learned.length}`);
    const junit = fs.readFileSync(path.join(path.dirname(collectPlan), "junit.xml"), "utf8");
    for (const name of Object.keys(jobs)) {
        const ran = status[name] !== undefined;
        for (const row of jobs[name].rows) {
            const testcase = new RegExp(`<testcase name="${row} \\(Debug\\|Win32\\)"[^>]*(/>|>\\s*<(failure|skipped))`).exec(junit);
            const kind = !testcase ? "missing" : testcase[2] ?? "passed";
            const broken = row === failing || row === unknownUser || [...(graph[row] ?? [])].some(n => n === failing || n === unknownUser);
            const expected = !ran ? "skipped" : broken ? "failure" : "passed";
            check(`JUnit of ${row} (job ${name}) ${expected}`, kind === expected, kind);
        }
        if (ran) check(`the collect job has ${name}'s own JUnit file`, fs.existsSync(path.join(path.dirname(collectPlan), name, "junit.xml")));
    }
}

function github([githubFile, gitlabFile, graphFile]) {
    const gh = yaml.load(fs.readFileSync(githubFile, "utf8"));
    const { jobs } = gitlabJobs(gitlabFile);
    const graph = readGraph(graphFile);
    const ids = Object.keys(gh.jobs).filter(j => j !== "collect");
    check("the same jobs as the GitLab file", JSON.stringify(ids) === JSON.stringify(Object.keys(jobs)), ids.join(" "));
    for (const id of ids) {
        const job = gh.jobs[id];
        const needs = job.needs ?? [];
        check(`${id} needs what the GitLab job needs`, JSON.stringify(needs) === JSON.stringify(jobs[id].needs));
        // Against the plan's graph: every project a row needs is in this job or a job it needs.
        for (const row of jobs[id].rows)
            for (const need of graph[row] ?? []) {
                const holder = jobOf(jobs, need);
                check(`${row} (${id}) finds ${need}`, holder === id || needs.includes(holder), holder);
            }
        const steps = job.steps;
        const downloads = steps.filter(s => s.uses?.startsWith("actions/download-artifact")).map(s => s.with.name);
        check(`${id} downloads exactly its needs' artifacts`,
              JSON.stringify(downloads) === JSON.stringify(needs.map(n => `quorvane-${n}`)), downloads.join(" "));
        const upload = steps.find(s => s.uses?.startsWith("actions/upload-artifact"));
        check(`${id} uploads quorvane-${id} always`, upload?.with?.name === `quorvane-${id}` && upload.if === "always()");
        const paths = upload.with.path.trim().split("\n");
        check(`${id} uploads what its GitLab job passes on`, JSON.stringify(paths) === JSON.stringify(jobs[id].artifacts));
    }
    const collect = gh.jobs.collect;
    check("collect runs always, after every job", collect.if === "always()" && JSON.stringify(collect.needs) === JSON.stringify(ids));
}

const [mode, ...args] = process.argv.slice(2);
({ pick, gitlab, github })[mode](args);
process.exit(failures ? 1 : 0);
